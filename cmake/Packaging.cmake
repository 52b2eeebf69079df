# The Debian package: `cpack -G DEB` in the build folder makes
# kesto_<version>_amd64.deb of what the install rules install, under /usr.
# It depends on the shared libraries the program links, as dpkg-shlibdeps
# finds them in the binary (dpkg-dev), and on what the program loads by name:
# the font that stands in for "ＭＳ ゴシック" and Qt's Japanese translation. The
# desktop entry, icon and MIME caches are refreshed by the triggers of
# desktop-file-utils, hicolor-icon-theme and shared-mime-info.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kesto)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "KESTO maintainers <maintainers@users.noreply.c-seed-1bc82608.example>")
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
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")

include(CPack)
