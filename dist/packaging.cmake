# The Debian package: cmake --build build && (cd build && cpack -G DEB).
set(CPACK_PACKAGE_NAME strovan)
set(CPACK_PACKAGE_VENDOR "Strovan")
set(CPACK_PACKAGE_CONTACT "Strovan maintainers <strovan@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "design the sampling plan of a timber cruise")
set(CPACK_PACKAGE_DESCRIPTION
    "Strovan helps a forester design a timber cruise: it groups a timber sale into strata and
sample groups, compiles a reconnaissance cruise into coefficients of variation and first
sample sizes, recomputes the sale error and cost at every edit, optimises the sample sizes
for a target sale error, and writes the field cruise file. The package holds the desktop
program strovan, the command-line program strovan-cli and the user guide.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt 6 base libraries the programs link, and the platform plugins that show windows.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libstdc++6 (>= 12), libqt6core6 (>= 6.2), libqt6gui6 (>= 6.2), libqt6widgets6 (>= 6.2), libqt6printsupport6 (>= 6.2), qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
set(CPACK_STRIP_FILES ON)
include(CPack)
