# Tests of the GDI+ binding: with our gdiplus module, without any module, and
# with modules that cannot serve (BrokenGdiplusModule.cpp in three builds).
set(broken_modules "")
foreach(variant OMIT_STARTUP FAIL_STARTUP OMIT_PALETTE)
    string(TOLOWER "gdiplus_broken_${variant}" broken)
    add_library(${broken} MODULE ${CMAKE_CURRENT_SOURCE_DIR}/BrokenGdiplusModule.cpp)
    target_compile_definitions(${broken} PRIVATE KAMSEL_${variant})
    target_link_libraries(${broken} PRIVATE kamsel_gdiplus_api kamsel_warnings)
    set_target_properties(${broken} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    list(APPEND broken_modules ${broken})
endforeach()

kamsel_add_test(frames_gdiplus_binding_test
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/UGDIPlusTest.cpp ${CMAKE_CURRENT_SOURCE_DIR}/UGDIPlusUnavailableTest.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/MemoryStreamAdapterTest.cpp
    LIBS kamsel_frames kamsel_test_images ${CMAKE_DL_LIBS})
target_compile_definitions(frames_gdiplus_binding_test PRIVATE
    KAMSEL_GDIPLUS_MODULE="$<TARGET_FILE:gdiplus>"
    KAMSEL_BROKEN_MODULE_DIR="${CMAKE_CURRENT_BINARY_DIR}")
add_dependencies(frames_gdiplus_binding_test gdiplus ${broken_modules})
