tessaly_add_fuzzer(sync_track_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/sync_track_fuzz.cpp
  LIBS tessaly_readers)
