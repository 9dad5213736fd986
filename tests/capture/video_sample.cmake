# The capture object and its sample callback.
kamsel_add_test(capture_sample_callback_test
    SOURCES SampleGrabberCallbackTest.cpp TVideoFormatTest.cpp
    LIBS kamsel_capture
    LABELS threaded)

# The capture object over fake cameras; every test streams on a device thread.
kamsel_add_test(capture_video_sample_test
    SOURCES VideoSampleFixture.cpp SampleRecorder.cpp TVideoSampleGraphTest.cpp TVideoSampleFormatsTest.cpp TVideoSampleControlsTest.cpp
    LIBS kamsel_capture kamsel_dshow_fakes
    LABELS threaded)

# End to end on the virtual pattern camera and on an emulated V4L2 camera.
kamsel_add_test(capture_pattern_camera_test
    SOURCES SampleRecorder.cpp PatternCameraTest.cpp
    LIBS kamsel_capture kamsel_dshow_fakes kamsel_virtualcam
    LABELS threaded)
kamsel_add_test(capture_v4l2_camera_test
    SOURCES SampleRecorder.cpp V4l2CameraTest.cpp
    LIBS kamsel_capture kamsel_dshow_fakes kamsel_v4l2_emulated
    LABELS threaded)
