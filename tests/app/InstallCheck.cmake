# Installs the build into a fresh prefix and checks what lands there: the
# program, a desktop entry that desktop-file-validate accepts, the icon at
# every size of the hicolor theme and the MIME type of NC programs. Then makes
# the Debian package and checks that it holds the same files and depends on
# the libraries, the font and the translations the program needs.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -DVERSION=<version>
#         -DCPACK=<cpack> -P InstallCheck.cmake

cmake_minimum_required(VERSION 3.25)

foreach(var BUILD_DIR PREFIX VERSION CPACK)
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
foreach(expected "Name=KESTO" "Exec=kesto %F" "Icon=kesto" "Type=Application" "Terminal=false"
                 "Categories=Development;" "MimeType=text/x-nc-program;")
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

# The MIME type, as the shared MIME database reads it: both patterns, at a
# weight below the default 50 of the types that claim them already.
set(mime "${PREFIX}/share/mime")
if(NOT EXISTS "${mime}/packages/kesto.xml")
  message(FATAL_ERROR "no MIME type at ${mime}/packages/kesto.xml")
endif()
execute_process(COMMAND update-mime-database "${mime}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(STRINGS "${mime}/globs2" globs REGEX "nc-program")
file(STRINGS "${mime}/subclasses" parents REGEX "nc-program")
if(NOT result EQUAL 0 OR NOT "10:text/x-nc-program:*.m" IN_LIST globs OR
   NOT "10:text/x-nc-program:*.s" IN_LIST globs OR
   NOT parents STREQUAL "text/x-nc-program text/plain")
  message(FATAL_ERROR "the MIME database does not take the type as meant:\n${output}${globs}\n${parents}")
endif()

# The package, made apart from the build's own.
set(package_dir "${PREFIX}-deb")
file(REMOVE_RECURSE "${package_dir}")
execute_process(COMMAND "${CPACK}" -G DEB -B "${package_dir}" --config "${BUILD_DIR}/CPackConfig.cmake"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(package "${package_dir}/kesto_${VERSION}_amd64.deb")
if(NOT result EQUAL 0 OR NOT EXISTS "${package}")
  message(FATAL_ERROR "cpack made no ${package}:\n${output}")
endif()
execute_process(COMMAND dpkg-deb -c "${package}" OUTPUT_VARIABLE listing RESULT_VARIABLE result)
set(expected_files usr/bin/kesto usr/share/applications/kesto.desktop
    usr/share/icons/hicolor/scalable/apps/kesto.svg usr/share/mime/packages/kesto.xml)
foreach(size 16 32 48)
  list(APPEND expected_files usr/share/icons/hicolor/${size}x${size}/apps/kesto.png)
endforeach()
foreach(file IN LISTS expected_files)
  if(NOT listing MATCHES " \\./${file}\n")
    message(FATAL_ERROR "the package lacks /${file}:\n${listing}")
  endif()
endforeach()
execute_process(COMMAND dpkg-deb -f "${package}" Depends OUTPUT_VARIABLE depends)
foreach(dependency fonts-ipafont-gothic qt6-translations-l10n libqt6widgets6 libqt6network6 libc6)
  if(NOT depends MATCHES "(^|, )${dependency}( |,|\n|$)")
    message(FATAL_ERROR "the package does not depend on ${dependency}: ${depends}")
  endif()
endforeach()

message(STATUS "installed into ${PREFIX}: program, desktop entry, icons and MIME type; "
               "packaged as ${package}")
