# cmake -DDESKTOP_FILE=... -DMETAINFO_FILE=... -DUNIT_FILE=... -DBINDIR=... -P this file
# The configured desktop file and AppStream metadata pass their validators without an error or
# a warning, and the systemd user unit starts the server from the configured binary folder.

foreach(var DESKTOP_FILE METAINFO_FILE UNIT_FILE BINDIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

set(failures "")

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(APPSTREAMCLI appstreamcli)
if(NOT DESKTOP_FILE_VALIDATE OR NOT APPSTREAMCLI)
  message(FATAL_ERROR "desktop-file-validate or appstreamcli is missing "
    "(desktop-file-utils, appstream: scripts/install-deps deps/test.txt)")
endif()

# desktop-file-validate exits 0 on warnings and hints: any output is a finding.
execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${DESKTOP_FILE}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT output STREQUAL "")
  list(APPEND failures "desktop-file-validate ${DESKTOP_FILE} (status ${status}):\n${output}")
endif()

# appstreamcli fails on warnings; --no-net keeps it from fetching the screenshots.
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --no-color ${METAINFO_FILE}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  list(APPEND failures "appstreamcli validate ${METAINFO_FILE} (status ${status}):\n${output}")
endif()

file(STRINGS ${UNIT_FILE} exec_lines REGEX "^ExecStart=")
list(LENGTH exec_lines exec_count)
if(NOT exec_count EQUAL 1)
  list(APPEND failures "${UNIT_FILE}: ${exec_count} ExecStart= lines, expected one")
else()
  string(REGEX REPLACE "^ExecStart=([^ ]*).*" "\\1" program "${exec_lines}")
  if(NOT program STREQUAL "${BINDIR}/huebench-server")
    list(APPEND failures
      "${UNIT_FILE}: ExecStart runs ${program}, expected ${BINDIR}/huebench-server")
  endif()
endif()
file(READ ${UNIT_FILE} unit_text)
if(unit_text MATCHES "@[A-Za-z_]+@")
  list(APPEND failures "${UNIT_FILE}: a placeholder was left unconfigured")
endif()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
message(STATUS "desktop file, AppStream metadata and user unit are valid")
