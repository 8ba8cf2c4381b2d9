# Part of the installation script (see CMakeLists.txt): writes the menu
# entry with the launcher's installed path, TESSALY_LAUNCHER.

# tessaly_write_desktop_entry(TEMPLATE OUTPUT)
function(tessaly_write_desktop_entry template output)
  # Exec is quoted, so a path with spaces works; inside the quotes ", `, $
  # and \ are escaped with a backslash. A desktop entry's own escaping then
  # doubles every backslash (in Exec and in TryExec alike).
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" quoted "${TESSALY_LAUNCHER}")
  string(REPLACE "\\" "\\\\" TESSALY_DESKTOP_EXEC "\"${quoted}\"")
  string(REPLACE "\\" "\\\\" TESSALY_DESKTOP_TRY_EXEC "${TESSALY_LAUNCHER}")
  configure_file("${template}" "${output}" @ONLY)
endfunction()
