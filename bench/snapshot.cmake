# Snapshot writing (the pane's SaveSnapshot; JpegImage Assign + SaveToFile) beside TurboJPEG's
# tjCompress2 and memcpy in the same run.
add_executable(bench_snapshot ${CMAKE_CURRENT_LIST_DIR}/bench_snapshot.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/JpegFrames.cpp ${CMAKE_CURRENT_LIST_DIR}/support/BenchApplication.cpp)
target_link_libraries(bench_snapshot PRIVATE kamsel_pane kamsel_frames kamsel_system kamsel_warnings kamsel_bench_support
    PkgConfig::TURBOJPEG Qt6::Gui)
