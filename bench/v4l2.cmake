# The one copy the V4L2 backend makes: BGR24 frames turned bottom-up.
add_executable(bench_v4l2_bottom_up ${CMAKE_CURRENT_LIST_DIR}/bench_v4l2_bottom_up.cpp)
target_link_libraries(bench_v4l2_bottom_up PRIVATE kamsel_v4l2 kamsel_warnings kamsel_bench_support)
