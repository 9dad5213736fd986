# Snapshot writing (JpegImage Assign + SaveToFile) beside TurboJPEG's
# tjCompress2 and memcpy in the same run.
find_package(PkgConfig)
if(PkgConfig_FOUND)
    pkg_check_modules(TURBOJPEG_SNAPSHOT IMPORTED_TARGET libturbojpeg)
endif()
if(NOT TURBOJPEG_SNAPSHOT_FOUND)
    message(WARNING "bench_snapshot needs libturbojpeg (scripts/deps.sh installs it); not built")
    return()
endif()
add_executable(bench_snapshot ${CMAKE_CURRENT_LIST_DIR}/bench_snapshot.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/JpegFrames.cpp ${CMAKE_CURRENT_LIST_DIR}/support/BenchApplication.cpp)
target_link_libraries(bench_snapshot PRIVATE kamsel_frames kamsel_system kamsel_warnings kamsel_bench_support
    PkgConfig::TURBOJPEG_SNAPSHOT Qt6::Gui)
