# What the benchmark programs share: the time collector that prints their
# ratios. The programs that decode frames also compile support/JpegFrames.cpp
# and support/BenchApplication.cpp, as only they link TurboJPEG and Qt.
add_library(kamsel_bench_support STATIC ${CMAKE_CURRENT_LIST_DIR}/support/TimeCollector.cpp)
target_include_directories(kamsel_bench_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kamsel_bench_support PUBLIC benchmark::benchmark PRIVATE kamsel_warnings)

# TurboJPEG and libyuv are the anchors most programs run beside ours;
# scripts/deps.sh installs both.
find_package(PkgConfig REQUIRED)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
find_path(LIBYUV_INCLUDE_DIR libyuv.h REQUIRED)
find_library(LIBYUV_LIBRARY yuv REQUIRED)
