# UnpackFrame over every pixel format, with sizes and samples from the fuzzer:
# once with motion JPEG through libjpeg, once through the GDI+ module.
kamsel_add_fuzzer(fuzz_unpack_frame SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_unpack_frame.cpp
    LIBS kamsel_frames Qt6::Gui)
kamsel_add_fuzzer(fuzz_unpack_frame_gdiplus SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_unpack_frame.cpp
    LIBS kamsel_frames Qt6::Gui)
target_compile_definitions(fuzz_unpack_frame_gdiplus PRIVATE
    KAMSEL_FUZZ_GDIPLUS_MODULE="$<TARGET_FILE:gdiplus>")
add_dependencies(fuzz_unpack_frame_gdiplus gdiplus)
