# The OBJ reader on arbitrary bytes (with "mtllib" served the same bytes).
tessaly_add_fuzzer(obj_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/obj_fuzz.cpp
  LIBS tessaly_readers)
