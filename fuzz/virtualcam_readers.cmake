# The readers of virtual camera video files parse whatever file a user names.
kamsel_add_fuzzer(fuzz_y4m_reader
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_y4m_reader.cpp
    LIBS kamsel_virtualcam)
kamsel_add_fuzzer(fuzz_mjpeg_file_reader
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_mjpeg_file_reader.cpp
    LIBS kamsel_virtualcam)
