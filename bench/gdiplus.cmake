# Motion-JPEG frames through the GDI+ binding and our gdiplus module, beside
# TurboJPEG's tjDecompress2 in the same run.
add_executable(bench_gdiplus ${CMAKE_CURRENT_LIST_DIR}/bench_gdiplus.cpp ${CMAKE_CURRENT_LIST_DIR}/support/JpegFrames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/BenchApplication.cpp)
target_link_libraries(bench_gdiplus PRIVATE kamsel_frames kamsel_system kamsel_warnings kamsel_bench_support
    PkgConfig::TURBOJPEG Qt6::Gui)
add_dependencies(bench_gdiplus gdiplus)
