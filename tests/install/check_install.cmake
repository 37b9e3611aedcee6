# Installs the build into a fresh prefix and checks what a desktop needs of it:
# every file in its usual place, the menu entry accepted by desktop-file-validate,
# the metainfo by appstreamcli, and the installed program running from there.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc)
  message(FATAL_ERROR "cmake --install failed: ${out}")
endif()

set(id org.korvello.Korvello)
foreach(file
    bin/korvello
    share/korvello/Images/thumb_unknown.jpg share/korvello/Images/big_unknown.jpg
    share/korvello/Skins/Daylight.qss share/korvello/Skins/Daylight/down.png
    share/korvello/Skins/Midnight.qss share/korvello/Skins/Ember.qss
    share/applications/${id}.desktop share/metainfo/${id}.metainfo.xml
    share/icons/hicolor/48x48/apps/${id}.png share/icons/hicolor/128x128/apps/${id}.png
    share/icons/hicolor/256x256/apps/${id}.png share/icons/hicolor/scalable/apps/${id}.svg)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

function(must_pass what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(rc)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
find_program(APPSTREAMCLI appstreamcli REQUIRED)
must_pass("desktop-file-validate" "${DESKTOP_FILE_VALIDATE}" "${PREFIX}/share/applications/${id}.desktop")
if(NOT output STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate complains:\n${output}")
endif()
must_pass("appstreamcli validate" "${APPSTREAMCLI}" validate --no-net "${PREFIX}/share/metainfo/${id}.metainfo.xml")

# Each hicolor PNG has the size its folder names.
foreach(size 48 128 256)
  file(READ "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/${id}.png" header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 32 16 dimensions)
  math(EXPR hex_size "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "0x" "" hex_size "${hex_size}")
  string(LENGTH "${hex_size}" n)
  while(n LESS 8)
    string(PREPEND hex_size "0")
    math(EXPR n "${n} + 1")
  endwhile()
  if(NOT dimensions STREQUAL "${hex_size}${hex_size}")
    message(FATAL_ERROR "${size}x${size} icon has the dimensions ${dimensions}")
  endif()
endforeach()

# The installed program runs from the prefix.
must_pass("korvello --version" "${PREFIX}/bin/korvello" --version)
if(NOT output STREQUAL "Korvello (Tessaly) v.2.1.345\n")
  message(FATAL_ERROR "korvello --version printed: ${output}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
