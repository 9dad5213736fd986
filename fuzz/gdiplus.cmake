# The gdiplus module's decoders over arbitrary bytes, linked directly.
kamsel_add_fuzzer(fuzz_gdiplus_decoder
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_gdiplus_decoder.cpp
    LIBS kamsel_gdiplus_core)
