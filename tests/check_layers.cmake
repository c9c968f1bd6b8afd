# SPDX-License-Identifier: GPL-3.0-or-later
cmake_policy(SET CMP0057 NEW)  # IN_LIST
# Fails when a file includes a project header from a folder its layer may not use.
#   cmake -DSOURCE=src -DLAYERS=core|gui -P check_layers.cmake
# A folder may include its own headers and those listed for it, lowest layer first.
#
# LAYERS=core, the folders of src/ (the front ends, cli, emulator and gui, may include any core
# folder; the core never includes a front end):
#   base      (nothing)
#   store     base
#   map       base store (map geometry: projection, levels of detail, the line the map pages draw)
#   serial    base
#   settings  base store
#   protocol  base serial store
#   export    base map protocol store
#   photos    base settings store
#   import    base store
#   index     base store (the history index)
#   logbook   base store (the drive logbook)
#   wording   base protocol store (the words of the session's reports, for the front ends)
#
# LAYERS=gui, the folders of src/gui/ (each may also include any core folder):
#   session   (nothing of the window: the session's host, on Qt Core alone)
#   common    session (the core's texts in the window's language)
#   models    common session
#   plot      common session
#   options   common models session
#   device    common models session
#   records   common models plot session
#   history   common session (the History view; it reaches the Track Record page through the
#             page owner)
#   logbook   common session (the Logbook view and its pages: PDF and print; the Track Record page names
#             places through the page owner)
#   window    every window folder: it makes the pages and their dialogs, and the session's host
#
# LAYERS=frontends, the folders of src/ above the core (each may also include any core folder):
#   desktop   (nothing above the core: what both front ends use from Qt Gui and D-Bus)
#   cli       desktop
#   emulator  (nothing above the core)
#   gui       desktop emulator (the window runs the emulator's engine as its built-in logger)
# Every folder of src/ is a core folder or a front end's: a new one must find its place.
set(core_folders base store map serial settings protocol export photos import index logbook
  wording)
if(LAYERS STREQUAL "core")
  set(root "${SOURCE}")
  set(prefix "")
  set(folders ${core_folders})
  set(allowed_base "base")
  set(allowed_store "store;base")
  set(allowed_map "map;base;store")
  set(allowed_serial "serial;base")
  set(allowed_settings "settings;base;store")
  set(allowed_protocol "protocol;base;serial;store")
  set(allowed_export "export;base;map;protocol;store")
  set(allowed_photos "photos;base;settings;store")
  set(allowed_import "import;base;store")
  set(allowed_index "index;base;store")
  set(allowed_logbook "logbook;base;store;session")
  set(allowed_wording "wording;base;protocol;store")
elseif(LAYERS STREQUAL "gui")
  set(root "${SOURCE}/gui")
  set(prefix "gui/")
  set(folders session common models plot options device records history logbook window)
  set(allowed_session "session")
  set(allowed_common "common;session")
  set(allowed_models "models;common;session")
  set(allowed_plot "plot;common;session")
  set(allowed_options "options;common;models;session")
  set(allowed_device "device;common;models;session")
  set(allowed_records "records;common;models;plot;session")
  set(allowed_history "history;common;session")
  set(allowed_logbook "logbook;common;session")
  set(allowed_window "window;session;common;models;plot;options;device;records;history;logbook")
  # A new window folder must find its place in the table.
  file(GLOB children LIST_DIRECTORIES true "${root}/*")
  foreach(path IN LISTS children)
    get_filename_component(name "${path}" NAME)
    if(IS_DIRECTORY "${path}" AND NOT name IN_LIST folders)
      message(FATAL_ERROR "${path}: a window folder the layer table does not know")
    endif()
  endforeach()
elseif(LAYERS STREQUAL "frontends")
  set(root "${SOURCE}")
  set(prefix "")
  set(folders desktop cli emulator gui)
  set(allowed_desktop "desktop;${core_folders}")
  set(allowed_cli "cli;desktop;${core_folders}")
  set(allowed_emulator "emulator;${core_folders}")
  set(allowed_gui "gui;desktop;emulator;${core_folders}")
  file(GLOB children LIST_DIRECTORIES true "${root}/*")
  foreach(path IN LISTS children)
    get_filename_component(name "${path}" NAME)
    if(IS_DIRECTORY "${path}" AND NOT name IN_LIST folders AND NOT name IN_LIST core_folders)
      message(FATAL_ERROR "${path}: a folder of src/ the layer table does not know")
    endif()
  endforeach()
else()
  message(FATAL_ERROR "LAYERS must be core, gui or frontends")
endif()

set(offenders "")
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE files "${root}/${folder}/*.h" "${root}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"${prefix}[a-z]+/")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"${prefix}([a-z]+)/.*" "\\1" used "${line}")
      if(NOT used IN_LIST allowed_${folder})
        list(APPEND offenders "${file}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(offenders)
  string(REPLACE ";" "\n" report "${offenders}")
  message(FATAL_ERROR "a folder reaches above its layer:\n${report}")
endif()
message(STATUS "every ${LAYERS} folder includes only its own layer and those below")
