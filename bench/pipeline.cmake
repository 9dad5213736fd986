# The whole frame pipeline through a camera pane on the offscreen platform,
# beside libyuv, TurboJPEG, memcpy and QPainter anchors in the same run.
find_package(PkgConfig)
if(PkgConfig_FOUND)
    pkg_check_modules(TURBOJPEG_PIPELINE IMPORTED_TARGET libturbojpeg)
endif()
find_path(LIBYUV_PIPELINE_INCLUDE_DIR libyuv.h)
find_library(LIBYUV_PIPELINE_LIBRARY yuv)
if(NOT TARGET kamsel_pane OR NOT TARGET kamsel_virtualcam OR NOT TURBOJPEG_PIPELINE_FOUND
   OR NOT LIBYUV_PIPELINE_INCLUDE_DIR OR NOT LIBYUV_PIPELINE_LIBRARY)
    message(WARNING "bench_pipeline needs the pane, the virtual cameras, libturbojpeg and libyuv; not built")
    return()
endif()
add_executable(bench_pipeline ${CMAKE_CURRENT_LIST_DIR}/bench_pipeline.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/DeliveryGate.cpp ${CMAKE_CURRENT_LIST_DIR}/support/FrameTimes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/JpegFrames.cpp ${CMAKE_CURRENT_LIST_DIR}/support/PipelineApplication.cpp)
target_include_directories(bench_pipeline PRIVATE ${LIBYUV_PIPELINE_INCLUDE_DIR})
target_link_libraries(bench_pipeline PRIVATE kamsel_pane kamsel_frames kamsel_capture kamsel_system kamsel_warnings
    kamsel_bench_support PkgConfig::TURBOJPEG_PIPELINE ${LIBYUV_PIPELINE_LIBRARY} Qt6::Widgets)
if(TARGET gdiplus)
    add_dependencies(bench_pipeline gdiplus) # motion JPEG takes the program's path through it
endif()
