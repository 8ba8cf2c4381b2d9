# The DejaVu Sans fonts (Debian's fonts-dejavu-core): the setup dialog's text
# and the production's title lettering. Searched in the fonts folder of every
# system prefix (share/fonts under /usr, /usr/local, ... as CMake knows
# them); -DTESSALY_FONT_REGULAR=... and -DTESSALY_FONT_BOLD=... choose others.
set(tessaly_font_folders "")
foreach(prefix IN LISTS CMAKE_SYSTEM_PREFIX_PATH)
  list(APPEND tessaly_font_folders ${prefix}/share/fonts)
endforeach()
list(REMOVE_DUPLICATES tessaly_font_folders)

find_file(TESSALY_FONT_REGULAR DejaVuSans.ttf
  PATHS ${tessaly_font_folders}
  PATH_SUFFIXES truetype/dejavu dejavu TTF
  NO_DEFAULT_PATH REQUIRED
  DOC "DejaVu Sans: the setup dialog's text and the production's titles")
find_file(TESSALY_FONT_BOLD DejaVuSans-Bold.ttf
  PATHS ${tessaly_font_folders}
  PATH_SUFFIXES truetype/dejavu dejavu TTF
  NO_DEFAULT_PATH REQUIRED
  DOC "DejaVu Sans Bold, for the production's titles")
