# The display filters against memcpy of the same frame. The camera-like
# picture comes from the JPEG support, which links TurboJPEG.
add_executable(bench_filters ${CMAKE_CURRENT_LIST_DIR}/bench_filters.cpp ${CMAKE_CURRENT_LIST_DIR}/support/JpegFrames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/BenchApplication.cpp)
target_link_libraries(bench_filters PRIVATE kamsel_pane kamsel_media kamsel_warnings kamsel_bench_support PkgConfig::TURBOJPEG
    Qt6::Gui)
