# Uninstalls what an installation from this build put in place:
#   cmake -DMANIFEST=build/install_manifest.txt -P install/uninstall.cmake
# (`make uninstall` and the build's `uninstall` target run it so.)
#
# Removes every file the manifest lists, then, deepest first, every
# directory the installation created (the record note_new_directories.cmake
# wrote next to the manifest) and every directory below the production's
# folder, each only when it is empty: whatever else has been put there
# since stays, and so do the directories that holds. Ends by removing the
# manifest and the record, so a second run says there is nothing to do.
# Exit status 0, or 1 when there is no manifest or a file cannot be removed.

if(NOT MANIFEST)
  message(FATAL_ERROR "usage: cmake -DMANIFEST=BUILD/install_manifest.txt -P uninstall.cmake")
endif()
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist "
                      "(nothing was installed from this build, or it was uninstalled already).")
endif()

get_filename_component(_folder "${MANIFEST}" DIRECTORY)
get_filename_component(_name "${MANIFEST}" NAME)
string(REPLACE "install_manifest" "install_directories" _record_name "${_name}")
set(_record "${_folder}/${_record_name}")

set(_directories "")
if(EXISTS "${_record}")
  file(STRINGS "${_record}" _directories)
  list(POP_FRONT _directories _root _production)
  if(IS_DIRECTORY "${_production}")
    file(GLOB_RECURSE _below LIST_DIRECTORIES true "${_production}/*")
    foreach(_entry IN LISTS _below)
      if(IS_DIRECTORY "${_entry}" AND NOT IS_SYMLINK "${_entry}")
        list(APPEND _directories "${_entry}")
      endif()
    endforeach()
    list(APPEND _directories "${_production}")
  endif()
endif()

file(STRINGS "${MANIFEST}" _files)
set(_failed FALSE)
foreach(_file IN LISTS _files)
  if(EXISTS "${_file}" OR IS_SYMLINK "${_file}")
    if(IS_DIRECTORY "${_file}" AND NOT IS_SYMLINK "${_file}")
      message(WARNING "Not removed, now a directory: ${_file}")
      continue()
    endif()
    message(STATUS "Removing: ${_file}")
    file(REMOVE "${_file}")
    if(EXISTS "${_file}" OR IS_SYMLINK "${_file}")
      message(WARNING "Cannot remove ${_file}")
      set(_failed TRUE)
    endif()
  else()
    message(STATUS "Already gone: ${_file}")
  endif()
endforeach()

# A directory sorts after its parent, whose path is a prefix of its own:
# in descending order children go before their parents. rmdir refuses
# directories that are not empty, which keeps anything that is not ours.
list(REMOVE_DUPLICATES _directories)
list(SORT _directories ORDER DESCENDING)
foreach(_dir IN LISTS _directories)
  if(IS_DIRECTORY "${_dir}" AND NOT IS_SYMLINK "${_dir}")
    execute_process(COMMAND rmdir -- "${_dir}" RESULT_VARIABLE _status OUTPUT_QUIET ERROR_QUIET)
    if(_status EQUAL 0)
      message(STATUS "Removing directory: ${_dir}")
    endif()
  endif()
endforeach()

if(_failed)
  message(FATAL_ERROR "Some files could not be removed (see above); ${MANIFEST} is kept.")
endif()
file(REMOVE "${MANIFEST}" "${_record}")
