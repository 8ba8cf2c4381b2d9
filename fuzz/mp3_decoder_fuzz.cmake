tessaly_add_fuzzer(mp3_decoder_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/mp3_decoder_fuzz.cpp
  LIBS tessaly_platform)
