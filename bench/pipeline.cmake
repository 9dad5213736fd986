# The whole frame pipeline through a camera pane on the offscreen platform,
# beside libyuv, TurboJPEG, memcpy and QPainter anchors in the same run.
add_executable(bench_pipeline ${CMAKE_CURRENT_LIST_DIR}/bench_pipeline.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/DeliveryGate.cpp ${CMAKE_CURRENT_LIST_DIR}/support/FrameTimes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/JpegFrames.cpp ${CMAKE_CURRENT_LIST_DIR}/support/BenchApplication.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/PipelineApplication.cpp)
target_include_directories(bench_pipeline PRIVATE ${LIBYUV_INCLUDE_DIR})
target_link_libraries(bench_pipeline PRIVATE kamsel_pane kamsel_frames kamsel_capture kamsel_system
    kamsel_warnings kamsel_bench_support PkgConfig::TURBOJPEG ${LIBYUV_LIBRARY} Qt6::Widgets)
add_dependencies(bench_pipeline gdiplus) # motion JPEG takes the program's path through it
