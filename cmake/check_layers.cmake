cmake_minimum_required(VERSION 3.25)
# Checks that every source file includes only headers of its own layer or of
# the layers it may build on, and no header its layer must stay free of.
# Run on every build (target check_layers), or by hand:
#   cmake -DSOURCE_DIR=<repository> -P cmake/check_layers.cmake
# Fails, naming each wrong include, when a file breaks a rule.

# The layer of a repository file, from its path (without extension).
function(layer_of path out)
  string(REGEX REPLACE "\\.(h|cpp)$" "" stem "${path}")
  set(readers_files
    sync/sync_track sync/sync_track_detail sync/track_text assets/line_reader assets/value_reader
    assets/maya_curve assets/maya_reader assets/maya_scene assets/mtl_reader assets/obj_reader
    assets/path_limit)
  set(art_files app/artwork app/program_icon app/setup_banner)
  if(stem IN_LIST readers_files)
    set(${out} readers PARENT_SCOPE)
  elseif(stem IN_LIST art_files)
    set(${out} art PARENT_SCOPE)
  elseif(path MATCHES "^tools/inspect/")
    set(${out} inspect PARENT_SCOPE)
  elseif(path MATCHES "^tools/check/")
    set(${out} check PARENT_SCOPE)
  elseif(path MATCHES "^([a-z]+)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

# What each layer may include, itself among them.
set(allowed_readers readers)
set(allowed_platform platform)
set(allowed_art art platform)
set(allowed_sync sync readers platform)
set(allowed_render render platform)
set(allowed_assets assets readers render platform)
set(allowed_watch watch readers platform)
set(allowed_demo demo assets render readers platform)
set(allowed_app app art demo sync watch assets render readers platform)
set(allowed_inspect inspect readers)
set(allowed_check check inspect app demo sync assets render readers platform)

# System headers a layer must not include (regular expressions).
set(platform_headers "^(SDL|sys/inotify|imgui|backends/imgui|mpg123|kiss_fft)")
set(forbidden_readers "^(GL/|GLFW/|IL/)|${platform_headers}")
set(forbidden_render "^GLFW/|${platform_headers}")
set(forbidden_assets "^GLFW/|${platform_headers}")
set(forbidden_demo "^GLFW/|${platform_headers}")
set(forbidden_sync "^(GL/|GLFW/)|${platform_headers}")
set(forbidden_watch "^(GL/|GLFW/)|${platform_headers}")
set(forbidden_app "${platform_headers}")
set(forbidden_check "${platform_headers}")

set(problems "")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/platform/*.h ${SOURCE_DIR}/platform/*.cpp
  ${SOURCE_DIR}/sync/*.h ${SOURCE_DIR}/sync/*.cpp
  ${SOURCE_DIR}/render/*.h ${SOURCE_DIR}/render/*.cpp
  ${SOURCE_DIR}/assets/*.h ${SOURCE_DIR}/assets/*.cpp
  ${SOURCE_DIR}/watch/*.h ${SOURCE_DIR}/watch/*.cpp
  ${SOURCE_DIR}/demo/*.h ${SOURCE_DIR}/demo/*.cpp
  ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/app/*.cpp
  ${SOURCE_DIR}/tools/inspect/*.h ${SOURCE_DIR}/tools/inspect/*.cpp
  ${SOURCE_DIR}/tools/check/*.h ${SOURCE_DIR}/tools/check/*.cpp)
foreach(source ${sources})
  layer_of("${source}" layer)
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" header "${line}")
    if(line MATCHES "\"" AND EXISTS ${SOURCE_DIR}/${header})
      layer_of("${header}" target)
      if(NOT target IN_LIST allowed_${layer})
        list(APPEND problems "${source}: ${layer} may not include ${header} (${target})")
      endif()
    elseif(DEFINED forbidden_${layer} AND header MATCHES "${forbidden_${layer}}")
      list(APPEND problems "${source}: ${layer} may not include <${header}>")
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Includes across the layers:\n  ${text}")
endif()
