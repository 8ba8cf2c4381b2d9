# The data watcher's decoding of directory-change records.
tessaly_add_fuzzer(notify_records_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/notify_records_fuzz.cpp
  LIBS tessaly_platform)
