cmake_policy(SET CMP0057 NEW)  # IN_LIST
# Fails when a file of a core folder includes a project header from a folder its layer may not
# use. The layers, lowest first; a folder may include its own headers and those listed for it:
#   base      (nothing)
#   store     base
#   serial    base
#   settings  base store
#   protocol  base serial store
#   export    base protocol store
# The front ends (cli, emulator, gui) may include any core folder; the core never includes a
# front end.
set(allowed_base "base")
set(allowed_store "store;base")
set(allowed_serial "serial;base")
set(allowed_settings "settings;base;store")
set(allowed_protocol "protocol;base;serial;store")
set(allowed_export "export;base;protocol;store")

set(offenders "")
foreach(folder base store serial settings protocol export)
  file(GLOB_RECURSE files "${SOURCE}/${folder}/*.h" "${SOURCE}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z]+)/.*" "\\1" used "${line}")
      if(NOT used IN_LIST allowed_${folder})
        list(APPEND offenders "${file}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(offenders)
  string(REPLACE ";" "\n" report "${offenders}")
  message(FATAL_ERROR "a core folder reaches above its layer:\n${report}")
endif()
message(STATUS "every core folder includes only its own layer and those below")
