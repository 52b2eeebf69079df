# Installs the build into a fresh prefix and checks what lands there: the
# program, a desktop entry that desktop-file-validate accepts, and the icon at
# every size of the hicolor theme.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -P InstallCheck.cmake

cmake_minimum_required(VERSION 3.25)

foreach(var BUILD_DIR PREFIX)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed:\n${output}")
endif()

set(program "${PREFIX}/bin/kesto")
if(NOT EXISTS "${program}" OR IS_DIRECTORY "${program}")
  message(FATAL_ERROR "no program at ${program}")
endif()
file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${program}" RESOLVED_DEPENDENCIES_VAR libraries
     UNRESOLVED_DEPENDENCIES_VAR missing)
if(missing)
  message(FATAL_ERROR "the installed program needs libraries that are not found: ${missing}")
endif()

set(entry "${PREFIX}/share/applications/kesto.desktop")
if(NOT EXISTS "${entry}")
  message(FATAL_ERROR "no desktop entry at ${entry}")
endif()
file(STRINGS "${entry}" lines ENCODING UTF-8)
foreach(expected "Name=KESTO" "Exec=kesto" "Icon=kesto" "Type=Application" "Terminal=false"
                 "Categories=Development;")
  if(NOT expected IN_LIST lines)
    message(FATAL_ERROR "the desktop entry lacks \"${expected}\"")
  endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(NOT VALIDATE)
  message(FATAL_ERROR "desktop-file-validate is not installed (Debian package desktop-file-utils; "
                      "scripts/deps.sh installs it)")
endif()
execute_process(COMMAND "${VALIDATE}" "${entry}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate rejects the entry:\n${output}")
endif()

# PNG: width and height are the 4-byte big-endian numbers at offsets 16 and 20.
foreach(size 16 32 48)
  set(icon "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/kesto.png")
  if(NOT EXISTS "${icon}")
    message(FATAL_ERROR "no icon at ${icon}")
  endif()
  file(READ "${icon}" signature LIMIT 8 HEX)
  file(READ "${icon}" dimensions OFFSET 16 LIMIT 8 HEX)
  math(EXPR hex_size "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "0x" "" hex_size "${hex_size}")
  string(LENGTH "${hex_size}" digits)
  if(digits EQUAL 1)
    set(hex_size "0${hex_size}")
  endif()
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR
     NOT dimensions STREQUAL "000000${hex_size}000000${hex_size}")
    message(FATAL_ERROR "${icon} is not a ${size}x${size} PNG")
  endif()
endforeach()

set(scalable "${PREFIX}/share/icons/hicolor/scalable/apps/kesto.svg")
if(NOT EXISTS "${scalable}")
  message(FATAL_ERROR "no icon at ${scalable}")
endif()
file(READ "${scalable}" svg)
if(NOT svg MATCHES "<svg[^>]*xmlns=\"http://www.w3.org/2000/svg\"")
  message(FATAL_ERROR "${scalable} is not an SVG image")
endif()

message(STATUS "installed into ${PREFIX}: program, desktop entry and icons")
