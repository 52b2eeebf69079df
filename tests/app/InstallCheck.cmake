# Installs the build into a fresh prefix and checks what lands there: the
# program without a library search path of its own, a desktop entry that
# desktop-file-validate accepts, the icon at every size of the hicolor theme,
# the MIME type of NC programs, the manual page and the AppStream metadata.
# Then makes the Debian package and checks that it holds the same files and
# Debian's documents, depends on the libraries, the font and the translations
# the program needs, and that lintian and appstreamcli find no fault in it.
#   cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder>
#         -DVERSION=<version>-<revision> -DCPACK=<cpack> -P InstallCheck.cmake

cmake_minimum_required(VERSION 3.25)

foreach(var BUILD_DIR PREFIX VERSION CPACK)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

# Runs a checking tool, which must be installed, and fails with what it said
# unless it ends with status 0 (and, with QUIET, says nothing).
function(check_with tool package)
  cmake_parse_arguments(PARSE_ARGV 2 arg QUIET "" ARGS)
  find_program(tool_path_${tool} ${tool})
  if(NOT tool_path_${tool})
    message(FATAL_ERROR "${tool} is not installed (Debian package ${package}; "
                        "scripts/deps.sh installs it)")
  endif()
  execute_process(COMMAND "${tool_path_${tool}}" ${arg_ARGS}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR (arg_QUIET AND NOT output STREQUAL ""))
    list(JOIN arg_ARGS " " shown)
    message(FATAL_ERROR "${tool} ${shown} finds faults:\n${output}")
  endif()
endfunction()

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
execute_process(COMMAND readelf --dynamic "${program}" OUTPUT_VARIABLE dynamic)
if(dynamic MATCHES "\\((RUNPATH|RPATH)\\)[^\n]*")
  message(FATAL_ERROR "the installed program has a library search path: ${CMAKE_MATCH_0}")
endif()

set(entry "${PREFIX}/share/applications/kesto.desktop")
if(NOT EXISTS "${entry}")
  message(FATAL_ERROR "no desktop entry at ${entry}")
endif()
file(STRINGS "${entry}" lines ENCODING UTF-8)
foreach(expected "Name=KESTO" "Exec=kesto %F" "Icon=kesto" "Type=Application" "Terminal=false"
                 "Categories=Development;" "MimeType=text/x-nc-program;" "StartupNotify=true")
  if(NOT expected IN_LIST lines)
    message(FATAL_ERROR "the desktop entry lacks \"${expected}\"")
  endif()
endforeach()
# Menus and searches in English and in Japanese.
file(READ "${entry}" text)
foreach(key Name[ja] GenericName GenericName[ja] Comment Comment[ja] Keywords Keywords[ja])
  string(REPLACE "[" "\\[" pattern "${key}")
  string(REPLACE "]" "\\]" pattern "${pattern}")
  if(NOT text MATCHES "(^|\n)${pattern}=[^\n]")
    message(FATAL_ERROR "the desktop entry has no ${key}")
  endif()
endforeach()
check_with(desktop-file-validate desktop-file-utils QUIET ARGS "${entry}")

set(page "${PREFIX}/share/man/man1/kesto.1.gz")
if(NOT EXISTS "${page}")
  message(FATAL_ERROR "no manual page at ${page}")
endif()
set(metainfo "${PREFIX}/share/metainfo/io.github.kesto.kesto.metainfo.xml")
if(NOT EXISTS "${metainfo}")
  message(FATAL_ERROR "no AppStream metadata at ${metainfo}")
endif()
file(READ "${metainfo}" component)
string(REGEX REPLACE "-[^-]*$" "" upstream_version "${VERSION}")
foreach(expected "<launchable type=\"desktop-id\">kesto.desktop</launchable>"
                 "<mediatype>text/x-nc-program</mediatype>"
                 "<release version=\"${upstream_version}\"")
  string(FIND "${component}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the AppStream metadata lacks ${expected}")
  endif()
endforeach()

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
    usr/share/icons/hicolor/scalable/apps/kesto.svg usr/share/mime/packages/kesto.xml
    usr/share/man/man1/kesto.1.gz usr/share/metainfo/io.github.kesto.kesto.metainfo.xml
    usr/share/doc/kesto/copyright usr/share/doc/kesto/changelog.Debian.gz
    usr/share/lintian/overrides/kesto)
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

# Debian's judgement of the package, and AppStream's of the metadata beside
# the desktop entry it names, on the files as the package holds them.
set(root "${package_dir}/root")
execute_process(COMMAND dpkg-deb -x "${package}" "${root}" COMMAND_ERROR_IS_FATAL ANY)
file(STRINGS "${root}/usr/share/doc/kesto/copyright" format LIMIT_COUNT 1)
if(NOT format STREQUAL "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
  message(FATAL_ERROR "the copyright file is not in the machine-readable format: ${format}")
endif()
check_with(appstreamcli appstream ARGS validate-tree --no-net "${root}")
check_with(lintian lintian ARGS --fail-on error,warning "${package}")

message(STATUS "installed into ${PREFIX}: program, desktop entry, icons, MIME type, manual "
               "page and AppStream metadata; packaged as ${package}, which lintian passes")
