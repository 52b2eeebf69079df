# The Debian package: `cpack -G DEB` in a build folder makes
# kesto_<version>-<revision>_amd64.deb of what the install rules install,
# under /usr. scripts/package.sh makes the one to ship: a build of the program
# alone with Debian's compiler and linker flags.
#
# It depends on the shared libraries the program links, as dpkg-shlibdeps
# finds them in the binary (dpkg-dev), and on what the program loads by name:
# the font that stands in for "ＭＳ ゴシック" and Qt's Japanese translation. The
# desktop entry, icon and MIME caches are refreshed by the triggers of
# desktop-file-utils, hicolor-icon-theme and shared-mime-info.

# The version is the project's with the Debian revision of the newest entry of
# the package's changelog, which must be an entry for this version.
set(kesto_changelog ${PROJECT_SOURCE_DIR}/resources/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${kesto_changelog})
file(STRINGS ${kesto_changelog} kesto_changelog_head LIMIT_COUNT 1)
if(NOT kesto_changelog_head MATCHES "^kesto \\(([^)]+)-([^)-]+)\\) ")
  message(FATAL_ERROR "${kesto_changelog} does not begin with an entry \"kesto (<version>-<revision>)\"")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "the newest entry of ${kesto_changelog} is for ${CMAKE_MATCH_1}, "
                      "the project is ${PROJECT_VERSION}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})

# /usr/share/doc/kesto: the copyright in Debian's machine-readable format and
# the changelog, compressed as Debian's tools compress it (no name, no time).
execute_process(COMMAND gzip -9nc ${kesto_changelog}
                OUTPUT_FILE ${PROJECT_BINARY_DIR}/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES resources/debian/copyright ${PROJECT_BINARY_DIR}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES resources/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME kesto)

# A stripped install (the package's) also drops the sections that only say
# which compiler built the program, as Debian's own strip step does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kesto\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kesto)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "KESTO developers <kesto@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for NC machine programs (Japanese user interface)")
set(CPACK_PACKAGE_DESCRIPTION
    "KESTO edits the programs of CNC machines: CP932 text files of statements
such as G01X10Y-20.5, one per line (main programs .m, back programs .s).
Each statement is shown and kept in canonical form; one line is edited at a
time; several programs are open side by side in one window. Programs are
written back byte for byte, and printed as one- or two-column listings.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/kesto/kesto)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
# Printing hands a finished job to the print queue with lp.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-client")

include(CPack)
