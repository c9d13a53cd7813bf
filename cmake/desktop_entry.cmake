# Runs at install time (cmake --install): writes the desktop entry for the program installed
# under CMAKE_INSTALL_PREFIX. Inputs: CORVANITE_DESKTOP_TEMPLATE, CORVANITE_INSTALL_FOLDER,
# CORVANITE_FILE_VERSION, CORVANITE_FILE_DESCRIPTION.

# A value of the entry is a string in which a backslash is written twice.
function(corvanite_desktop_string text out)
  string(REPLACE "\\" "\\\\" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The program's path as the Exec key's single argument: "%" doubled; quoted, with the
# characters that quoting still leaves special escaped, when the path holds a reserved one.
function(corvanite_desktop_exec path out)
  string(REPLACE "%" "%%" path "${path}")
  if(path MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
    string(REPLACE "\\" "\\\\" path "${path}")
    string(REPLACE "\"" "\\\"" path "${path}")
    string(REPLACE "`" "\\`" path "${path}")
    string(REPLACE "$" "\\$" path "${path}")
    set(path "\"${path}\"")
  endif()
  corvanite_desktop_string("${path}" path)
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

set(corvanite_program "${CMAKE_INSTALL_PREFIX}/${CORVANITE_INSTALL_FOLDER}/Corvanite")
corvanite_desktop_exec("${corvanite_program}" CORVANITE_DESKTOP_EXEC)
corvanite_desktop_string("${corvanite_program}" CORVANITE_DESKTOP_TRYEXEC)

set(corvanite_entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/corvanite.desktop")
message(STATUS "Installing: ${corvanite_entry}")
configure_file("${CORVANITE_DESKTOP_TEMPLATE}" "${corvanite_entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${corvanite_entry}")
