# What the benchmark programs share: the time collector that prints their
# ratios. (support/JpegFrames.cpp is compiled into the programs that link
# TurboJPEG.)
add_library(kamsel_bench_support STATIC ${CMAKE_CURRENT_LIST_DIR}/support/TimeCollector.cpp)
target_include_directories(kamsel_bench_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kamsel_bench_support PUBLIC benchmark::benchmark PRIVATE kamsel_warnings)
