# UnpackFrame over every pixel format, with sizes and samples from the fuzzer.
kamsel_add_fuzzer(fuzz_unpack_frame SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_unpack_frame.cpp
    LIBS kamsel_frames Qt6::Gui)
