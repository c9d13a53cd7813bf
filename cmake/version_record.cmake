# The program's version record, read from services/version.h (the executable's own), so that the
# desktop entry says what the program says.
file(STRINGS ${PROJECT_SOURCE_DIR}/services/version.h corvanite_version_lines
     REGEX "^#define CORVANITE_[A-Z_]+ \".*\"$")
foreach(line IN LISTS corvanite_version_lines)
  string(REGEX REPLACE "^#define (CORVANITE_[A-Z_]+) \"(.*)\"$" "\\1" name "${line}")
  string(REGEX REPLACE "^#define (CORVANITE_[A-Z_]+) \"(.*)\"$" "\\2" value "${line}")
  set(${name} "${value}")
endforeach()
if(NOT CORVANITE_FILE_VERSION OR NOT CORVANITE_FILE_DESCRIPTION)
  message(FATAL_ERROR "services/version.h holds no version record")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/services/version.h)
