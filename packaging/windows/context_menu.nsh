; SPDX-FileCopyrightText: 2026 The Norvane developers
; SPDX-License-Identifier: GPL-3.0-or-later
; Explorer's "Rename files with Norvane", on a folder (%1) and on a folder's
; background (%V). SHCTX is HKLM where the setup installs for all users and
; HKCU where it installs for one user alone.

!define NORVANE_FOLDER_MENU "Software\Classes\Directory\shell\Norvane"
!define NORVANE_BACKGROUND_MENU "Software\Classes\Directory\Background\shell\Norvane"

!macro NorvaneMenuInstall
  WriteRegStr SHCTX "${NORVANE_FOLDER_MENU}" "" "Rename files with Norvane"
  WriteRegStr SHCTX "${NORVANE_FOLDER_MENU}" "Icon" "$INSTDIR\norvane.exe"
  WriteRegStr SHCTX "${NORVANE_FOLDER_MENU}\command" "" '"$INSTDIR\norvane.exe" "%1"'
  WriteRegStr SHCTX "${NORVANE_BACKGROUND_MENU}" "" "Rename files with Norvane"
  WriteRegStr SHCTX "${NORVANE_BACKGROUND_MENU}" "Icon" "$INSTDIR\norvane.exe"
  WriteRegStr SHCTX "${NORVANE_BACKGROUND_MENU}\command" "" '"$INSTDIR\norvane.exe" "%V"'
!macroend

!macro NorvaneMenuRemove
  DeleteRegKey SHCTX "${NORVANE_FOLDER_MENU}"
  DeleteRegKey SHCTX "${NORVANE_BACKGROUND_MENU}"
!macroend
