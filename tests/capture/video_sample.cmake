# The capture object and its sample callback.
kamsel_add_test(capture_sample_callback_test
    SOURCES SampleGrabberCallbackTest.cpp TVideoFormatTest.cpp
    LIBS kamsel_capture
    LABELS threaded)
