tessaly_add_fuzzer(maya_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/maya_fuzz.cpp
  LIBS tessaly_readers)
