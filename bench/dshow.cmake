# The capture layer's per-sample path: sample grabber with callback, then the
# null renderer, against a direct call of the same callback.
add_executable(bench_dshow_sample_path ${CMAKE_CURRENT_LIST_DIR}/bench_dshow_sample_path.cpp)
target_link_libraries(bench_dshow_sample_path PRIVATE kamsel_dshow_fakes kamsel_warnings kamsel_bench_support)
