# orvella_VERSION_amd64.deb: `cpack -G DEB` in a build folder packs what
# `cmake --install` puts on a machine, installed into /usr, with the shared
# libraries it links (Qt 6 among them) found by dpkg-shlibdeps as its
# dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvella)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvella project")
set(CPACK_PACKAGE_CONTACT "Orvella project <orvella@orvella.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find, inspect and erase physical drives")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Orvella lists the physical drives of the machine, shows what each one\n"
    "reports about itself (the ATA IDENTIFY facts, the S.M.A.R.T. table or\n"
    "the NVMe health log) and erases a chosen drive by writing zeros over\n"
    "it, optionally reading them back to verify the erase. It comes as a\n"
    "Qt 6 desktop program, started from the menu with administrator rights\n"
    "through polkit, and as the command-line program orvella-cli.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvella.example.org")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The menu entry asks for administrator rights through pkexec; without it
# the program still starts, with the drives a normal user may open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec | policykit-1")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The install writes the installed paths into the menu entry, the wrapper
# and the polkit action: it must run with the prefix of the machine (/usr),
# the package's files being collected through DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Debian's documentation folder: the copyright and the changelog, the
# latter compressed as Debian keeps it (no name or time stamp inside).
set(changelog_gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
execute_process(COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/changelog OUTPUT_FILE ${changelog_gz}
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})
include(CPack)
