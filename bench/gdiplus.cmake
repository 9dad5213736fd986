# Motion-JPEG frames through the GDI+ binding and our gdiplus module, beside
# TurboJPEG's tjDecompress2 in the same run.
find_package(PkgConfig)
if(PkgConfig_FOUND)
    pkg_check_modules(TURBOJPEG_GDIPLUS IMPORTED_TARGET libturbojpeg)
endif()
if(NOT TURBOJPEG_GDIPLUS_FOUND)
    message(WARNING "bench_gdiplus needs libturbojpeg (scripts/deps.sh installs it); not built")
    return()
endif()
add_executable(bench_gdiplus ${CMAKE_CURRENT_LIST_DIR}/bench_gdiplus.cpp ${CMAKE_CURRENT_LIST_DIR}/support/JpegFrames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/BenchApplication.cpp)
target_link_libraries(bench_gdiplus PRIVATE kamsel_frames kamsel_system kamsel_warnings kamsel_bench_support
    PkgConfig::TURBOJPEG_GDIPLUS Qt6::Gui)
add_dependencies(bench_gdiplus gdiplus)
