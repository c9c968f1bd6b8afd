cmake_policy(SET CMP0057 NEW)  # IN_LIST
# Fails when a file of a window folder includes a header from a window folder above its own.
# The layers, lowest first; a folder may include its own headers, those listed for it, and any
# core folder:
#   common    (nothing of the window)
#   models    common
#   plot      common
#   options   common models
#   device    common models
#   records   common models plot
#   window    every window folder: it makes the pages and their dialogs
set(allowed_common "common")
set(allowed_models "models;common")
set(allowed_plot "plot;common")
set(allowed_options "options;common;models")
set(allowed_device "device;common;models")
set(allowed_records "records;common;models;plot")
set(allowed_window "window;common;models;plot;options;device;records")

set(offenders "")
foreach(folder common models plot options device records window)
  file(GLOB_RECURSE files "${SOURCE}/gui/${folder}/*.h" "${SOURCE}/gui/${folder}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"gui/[a-z]+/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"gui/([a-z]+)/.*" "\\1" used "${line}")
      if(NOT used IN_LIST allowed_${folder})
        list(APPEND offenders "${file}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
file(GLOB folders LIST_DIRECTORIES true "${SOURCE}/gui/*")
foreach(path IN LISTS folders)
  get_filename_component(name "${path}" NAME)
  if(IS_DIRECTORY "${path}" AND NOT DEFINED allowed_${name})
    list(APPEND offenders "${path}: a window folder the layer table does not know")
  endif()
endforeach()
if(offenders)
  string(REPLACE ";" "\n" report "${offenders}")
  message(FATAL_ERROR "a window folder reaches above its layer:\n${report}")
endif()
message(STATUS "every window folder includes only its own layer and those below")
