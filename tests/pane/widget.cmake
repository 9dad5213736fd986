# The pane's widgets over test cameras (fakes with fault injection, and the
# pattern virtual camera end to end). Cameras stream on threads of their own.
kamsel_add_test(pane_widget_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/TFrame1Test.cpp ${CMAKE_CURRENT_LIST_DIR}/TFrame1LayoutTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/TFrame1PatternCameraTest.cpp
    LIBS kamsel_pane kamsel_frames kamsel_capture kamsel_dshow_fakes kamsel_virtualcam
    LABELS threaded)
