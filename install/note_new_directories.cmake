# Part of the installation script (see CMakeLists.txt): runs before any file
# is installed and notes which directories the installation will create,
# in a record next to CMake's install manifest (install_directories.txt for
# install_manifest.txt, install_directories_<component>.txt for
# install_manifest_<component>.txt). uninstall.cmake removes the recorded
# directories again when they are empty, and so leaves a prefix as it found
# it.
#
# Set by the caller: TESSALY_INSTALL_DIRECTORIES (the destination folders,
# relative to the prefix), TESSALY_PRODUCTION_DIR (relative), TESSALY_DATA_SOURCE
# (build/Data, whose folders are copied below the production's Data/) and
# TESSALY_RECORD_DIR (the build folder).

set(_tessaly_root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/+$" "" _tessaly_root "${_tessaly_root}")

set(_tessaly_targets ${TESSALY_INSTALL_DIRECTORIES})
file(GLOB_RECURSE _tessaly_data LIST_DIRECTORIES true RELATIVE "${TESSALY_DATA_SOURCE}"
     "${TESSALY_DATA_SOURCE}/*")
foreach(_tessaly_entry IN LISTS _tessaly_data)
  if(IS_DIRECTORY "${TESSALY_DATA_SOURCE}/${_tessaly_entry}")
    list(APPEND _tessaly_targets "${TESSALY_PRODUCTION_DIR}/Data/${_tessaly_entry}")
  endif()
endforeach()

# Each destination and its parents up to the prefix itself, as far as they
# do not exist yet.
set(_tessaly_created "")
foreach(_tessaly_relative IN LISTS _tessaly_targets)
  set(_tessaly_dir "${_tessaly_root}/${_tessaly_relative}")
  while(NOT EXISTS "${_tessaly_dir}")
    list(APPEND _tessaly_created "${_tessaly_dir}")
    if(_tessaly_dir STREQUAL _tessaly_root)
      break()
    endif()
    get_filename_component(_tessaly_dir "${_tessaly_dir}" DIRECTORY)
  endwhile()
endforeach()

if(CMAKE_INSTALL_COMPONENT)
  set(_tessaly_record "${TESSALY_RECORD_DIR}/install_directories_${CMAKE_INSTALL_COMPONENT}.txt")
else()
  set(_tessaly_record "${TESSALY_RECORD_DIR}/install_directories.txt")
endif()

# Installing again into the same prefix keeps what the first installation
# created; another prefix starts a new record, as CMake's manifest does.
if(EXISTS "${_tessaly_record}")
  file(STRINGS "${_tessaly_record}" _tessaly_previous)
  list(POP_FRONT _tessaly_previous _tessaly_previous_root _tessaly_previous_production)
  if(_tessaly_previous_root STREQUAL "${_tessaly_root}")
    list(APPEND _tessaly_created ${_tessaly_previous})
  endif()
endif()
list(REMOVE_DUPLICATES _tessaly_created)

# Line 1: the prefix; line 2: the production's folder; then the created
# directories.
list(PREPEND _tessaly_created "${_tessaly_root}" "${_tessaly_root}/${TESSALY_PRODUCTION_DIR}")
list(JOIN _tessaly_created "\n" _tessaly_lines)
file(WRITE "${_tessaly_record}" "${_tessaly_lines}\n")
