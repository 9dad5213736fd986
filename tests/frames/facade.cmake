# The frame facade: hand-off from the streaming thread, the idle notification,
# the default exception handler. All of them involve a second thread or the
# cross-thread idle flag, so they also run under ThreadSanitizer.
kamsel_add_test(frames_facade_test
    SOURCES TVideoImageHandOffTest.cpp TVideoImagePropertiesTest.cpp ExceptionHandlerTest.cpp
    LIBS kamsel_frames
    LABELS threaded)
kamsel_add_test(frames_facade_load_test SOURCES TVideoImageThreadedTest.cpp LIBS kamsel_frames LABELS threaded)
kamsel_add_test(frames_idle_test SOURCES IdleNotifierTest.cpp LIBS kamsel_frames LABELS threaded)

# Qt on Debian runs its event loop on glib; with QT_NO_GLIB=1 it uses its own
# Unix dispatcher. The idle notification works differently on each, so the
# tests that depend on it run under both.
foreach(target frames_facade_test frames_idle_test)
    gtest_discover_tests(${target} TEST_PREFIX "UnixDispatcher." DISCOVERY_TIMEOUT 120
        PROPERTIES LABELS threaded ENVIRONMENT QT_NO_GLIB=1 TIMEOUT 300)
endforeach()

# The facade over capture objects: fake cameras with fault injection, and the
# pattern virtual camera end to end.
kamsel_add_test(frames_facade_capture_test
    SOURCES TVideoImageCaptureTest.cpp TVideoImagePatternCameraTest.cpp
    LIBS kamsel_frames kamsel_capture kamsel_dshow_fakes kamsel_virtualcam
    LABELS threaded)
