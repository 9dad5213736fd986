# Display filters and snapshots against memcpy and TurboJPEG's encoder.
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
add_executable(bench_filters ${CMAKE_CURRENT_LIST_DIR}/bench_filters.cpp ${CMAKE_CURRENT_LIST_DIR}/support/BenchApplication.cpp)
target_link_libraries(bench_filters PRIVATE kamsel_pane kamsel_system kamsel_warnings kamsel_bench_support
    PkgConfig::TURBOJPEG Qt6::Gui)
