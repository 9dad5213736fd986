# UnpackFrame against libyuv, TurboJPEG and memcpy, each in the same process.
find_package(PkgConfig)
if(PkgConfig_FOUND)
    pkg_check_modules(TURBOJPEG IMPORTED_TARGET libturbojpeg)
endif()
find_path(LIBYUV_INCLUDE_DIR libyuv.h)
find_library(LIBYUV_LIBRARY yuv)
if(NOT TURBOJPEG_FOUND OR NOT LIBYUV_INCLUDE_DIR OR NOT LIBYUV_LIBRARY)
    message(WARNING "bench_decode needs libturbojpeg and libyuv (scripts/deps.sh installs them); not built")
    return()
endif()
add_executable(bench_decode ${CMAKE_CURRENT_LIST_DIR}/bench_decode.cpp ${CMAKE_CURRENT_LIST_DIR}/support/JpegFrames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/BenchApplication.cpp)
target_include_directories(bench_decode PRIVATE ${LIBYUV_INCLUDE_DIR})
target_link_libraries(bench_decode PRIVATE kamsel_frames kamsel_system kamsel_warnings kamsel_bench_support
    PkgConfig::TURBOJPEG ${LIBYUV_LIBRARY} Qt6::Gui)
if(TARGET gdiplus)
    add_dependencies(bench_decode gdiplus) # the motion-JPEG case loads it from beside the executable
endif()
