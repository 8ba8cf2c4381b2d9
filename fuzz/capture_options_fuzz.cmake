# tessaly-capture's command line: options, time lists and output patterns.
tessaly_add_fuzzer(capture_options_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_options_fuzz.cpp
  LIBS tessaly_capture)
