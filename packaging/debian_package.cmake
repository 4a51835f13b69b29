# SPDX-FileCopyrightText: 2026 The Norvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, built by CPack (./dev package): the program, its desktop
# entry, icon, metainfo and manual page from the window's install rules, and
# here the two files Debian wants in every package's documentation folder.

set(NORVANE_PACKAGE_CONTACT "Seed 57bb2e87 maintainers <maintainers@users.noreply.c-seed-57bb2e87.example>"
    CACHE STRING "The Debian package's maintainer, as Name <address>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norvane)
set(CPACK_PACKAGE_VENDOR "Norvane")
set(CPACK_PACKAGE_CONTACT "${NORVANE_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rename every file of one folder in one batch")
# Lines of at most 80 characters, as Debian shows them in a terminal.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Norvane's one window shows a folder tree, the list of the chosen folder's"
    "files, two text fields, Find and replace, and four buttons, each applying"
    "one renaming rule to every listed file: replace a text, number the files,"
    "change their extension, or drop the first part of their names."
    ""
    "Every new name is checked before the first file moves: a batch that cannot"
    "be done moves nothing and says which file stops it.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: found from the program's libraries by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Whatever the umask of the one building it.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# Debian's changelog wants the release time in RFC 5322 form.
execute_process(COMMAND date -u -R -d "${NORVANE_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE NORVANE_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in changelog @ONLY)
# Compressed as Debian keeps them; -n leaves the time out, so equal builds give equal files.
add_custom_command(OUTPUT changelog.gz
                   COMMAND gzip -9nfk changelog
                   DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog)
add_custom_target(norvane_changelog ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

include(GNUInstallDirs)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/norvane)
# The captions' spellings are the program's own.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/lintian-overrides RENAME norvane
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides)

include(CPack)
