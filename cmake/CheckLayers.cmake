# Checks that the source folders point one way: a folder may include only
# itself and the folders listed for it below. Run at configure time and as the
# test "layers" (cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake).
#
#   core              the window-free base
#   disc              disc images: the serial and boot file CRC the emulator sees
#   ui                the dialog seam, the error report, small shared widgets
#   input             gamepads through SDL2
#   store             profiles and the database
#   ini               INI text, read and written byte for byte
#   emulatorsettings  what each emulator generation reads, and the profile's mapping into it
#   launch            starting and ending the emulator, play sessions
#   desktop           the unload keys and desktop shortcuts
#   gamelist          the grid, pictures and artwork
#   library           adding folders of games and downloading covers, without a window
#   editor            the settings page and the profile mapping
#   app               the main window and its pages, the command line, start-up
# Only ui, gamelist, editor and app may use widgets.
cmake_minimum_required(VERSION 3.25)
set(allowed_core core)
set(allowed_disc core disc)
set(allowed_ui core ui)
set(allowed_input core input)
set(allowed_store core store)
set(allowed_ini core ini)
set(allowed_emulatorsettings core disc store ini emulatorsettings)
set(allowed_launch core disc store ini emulatorsettings launch)
set(allowed_desktop core store desktop)
set(allowed_gamelist core disc ui store gamelist)
set(allowed_library core disc store ini emulatorsettings launch gamelist library)
set(allowed_editor core disc ui store editor)
set(allowed_app core disc ui input store ini emulatorsettings launch desktop gamelist library editor app)
set(layers core disc ui input store ini emulatorsettings launch desktop gamelist library editor app)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: SOURCE_DIR is not set")
endif()

set(violations "")
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" target "${line}")
      if(NOT target MATCHES "/")
        # Generated files (moc, ui) only; every header of ours names its layer.
        if(NOT target MATCHES "\\.moc$|^moc_|^ui_")
          list(APPEND violations "${source}: \"${target}\" does not name its folder")
        endif()
        continue()
      endif()
      string(REGEX REPLACE "/.*" "" included_layer "${target}")
      if(NOT included_layer IN_LIST layers)
        continue()
      endif()
      if(NOT included_layer IN_LIST allowed_${layer})
        file(RELATIVE_PATH rel "${SOURCE_DIR}" "${source}")
        list(APPEND violations "src/${rel}: ${layer} may not include \"${target}\"")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Layer check failed:\n  ${text}")
endif()
