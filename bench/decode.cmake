# UnpackFrame against libyuv, TurboJPEG and memcpy, each in the same process.
add_executable(bench_decode ${CMAKE_CURRENT_LIST_DIR}/bench_decode.cpp ${CMAKE_CURRENT_LIST_DIR}/support/JpegFrames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/BenchApplication.cpp)
target_include_directories(bench_decode PRIVATE ${LIBYUV_INCLUDE_DIR})
target_link_libraries(bench_decode PRIVATE kamsel_frames kamsel_system kamsel_warnings kamsel_bench_support
    PkgConfig::TURBOJPEG ${LIBYUV_LIBRARY} Qt6::Gui)
add_dependencies(bench_decode gdiplus) # the motion-JPEG case loads it from beside the executable
