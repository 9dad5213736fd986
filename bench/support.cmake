# What the benchmark programs share: the time collector that prints their
# ratios. The programs that decode frames also compile support/JpegFrames.cpp
# and support/BenchApplication.cpp, as only they link TurboJPEG and Qt.
add_library(kamsel_bench_support STATIC ${CMAKE_CURRENT_LIST_DIR}/support/TimeCollector.cpp)
target_include_directories(kamsel_bench_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kamsel_bench_support PUBLIC benchmark::benchmark PRIVATE kamsel_warnings)
