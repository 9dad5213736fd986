# Fails when a source file includes a header from a layer above its own.
# Run as: cmake -DSOURCE_DIR=<tree> -P CheckLayers.cmake
#
# The layers, lowest first: platform, capture, frames, pane, app; a file may
# include its own layer and the ones below. Inside platform each folder may
# include itself and the folders listed for it below, the floors as they
# stand; a new edge between platform folders is a decision, made here.

cmake_minimum_required(VERSION 3.20)

set(layers platform capture frames pane app)
set(platform_com "")
set(platform_jpeg "")
set(platform_media "")
set(platform_system "")
set(platform_v4l2 media)
set(platform_virtualcam jpeg media system)
set(platform_gdiplus com jpeg media system)
set(platform_dshow com media system v4l2 virtualcam)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(violations "")
foreach(layer ${layers})
    list(FIND layers ${layer} own_rank)
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
    foreach(file ${files})
        string(REGEX MATCH "^platform/([^/]+)/" own_floor "${file}")
        set(own_floor "${CMAKE_MATCH_1}")
        file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
        foreach(line ${includes})
            string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
            string(REGEX MATCH "^([^/]+)/" top "${header}")
            list(FIND layers "${CMAKE_MATCH_1}" rank)
            if(rank EQUAL -1)
                continue() # a header of the file's own folder or of a library
            endif()
            if(rank GREATER own_rank)
                list(APPEND violations "${file} includes ${header} from a layer above its own")
            elseif(own_floor AND rank EQUAL 0)
                string(REGEX MATCH "^platform/([^/]+)/" floor "${header}")
                set(floor "${CMAKE_MATCH_1}")
                if(NOT floor STREQUAL own_floor AND NOT floor IN_LIST platform_${own_floor})
                    list(APPEND violations "${file} includes ${header}: platform/${own_floor} may not use platform/${floor}")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n" text)
    message(FATAL_ERROR "Dependencies must point down (app -> pane -> frames -> capture -> platform):\n${text}")
endif()
