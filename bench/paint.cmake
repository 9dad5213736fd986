# The camera pane's paint path: a frame drawn through the pane into its paint
# box, beside a plain RGB32 drawImage of the same size in the same run.
add_executable(bench_paint ${CMAKE_CURRENT_LIST_DIR}/bench_paint.cpp)
target_link_libraries(bench_paint PRIVATE kamsel_pane kamsel_frames kamsel_media kamsel_warnings kamsel_bench_support
    Qt6::Widgets)
