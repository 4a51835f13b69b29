# SPDX-FileCopyrightText: 2026 The Norvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer and the portable zip, built by CPack (./dev package-windows):
# norvane-<version>-win64-setup.exe (NSIS: the licence shown first, Start menu
# entry, Explorer's "Rename files with Norvane", uninstaller, icon) and
# norvane-<version>-win64.zip, both holding the one self-contained norvane.exe
# with its licence (LICENSE.txt) and the notices of what it carries (NOTICES.txt).

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME Norvane)
set(CPACK_PACKAGE_VENDOR Norvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Renames every file of one folder in one batch")
set(CPACK_PACKAGE_FILE_NAME norvane-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Norvane)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Norvane)
# Start menu: Norvane\Norvane.lnk, to norvane.exe.
set(CPACK_PACKAGE_EXECUTABLES norvane Norvane)
set(CPACK_STRIP_FILES ON)
# Each generator names its file (the setup gets "-setup"); read by CPack, not CMake.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/windows/cpack_generator_names.cmake)

# A 64-bit installer for the 64-bit program: it sees the 64-bit Program Files
# and registry as they are, and runs where only 64-bit programs do (wine64).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_PACKAGE_NAME Norvane)
set(CPACK_NSIS_DISPLAY_NAME Norvane)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/window/share/norvane.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/window/share/norvane.ico)
# The icon "Apps & features" shows beside the entry.
set(CPACK_NSIS_INSTALLED_ICON_NAME norvane.exe)
# An older Norvane goes before a newer one comes, so the two never mix.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)

# The licence, and the notices of Qt and the rest that norvane.exe carries, beside it.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/windows/NOTICES.txt DESTINATION .)
# The setup shows the licence before it installs anything.
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

# Explorer's context menu on folders, written and removed by the setup as
# windows/context_menu.nsh says (its quotes would not survive CPack's own).
string(APPEND CPACK_NSIS_DEFINES "\n!include '${CMAKE_CURRENT_LIST_DIR}/windows/context_menu.nsh'")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!insertmacro NorvaneMenuInstall")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "!insertmacro NorvaneMenuRemove")

include(CPack)
