# The MTL reader on arbitrary bytes.
tessaly_add_fuzzer(mtl_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mtl_fuzz.cpp
  LIBS tessaly_readers)
