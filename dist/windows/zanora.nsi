; SPDX-License-Identifier: GPL-3.0-or-later
; The Zanora installer for 64-bit Windows, built by scripts/windows.sh --package with makensis:
;   makensis -DVERSION=3.1 -DSTAGE=<unpacked zip folder> -DFILES=<files.nsh> -DOUTFILE=<setup.exe>
;            -DLICENSE=<LICENSE.txt> zanora.nsi
; Installs for the current user without administrator rights, into
; %LOCALAPPDATA%\Programs\Zanora; the Start-menu entry "Zanora" starts the program in its working
; folder %LOCALAPPDATA%\Zanora (config.json, myTitle.png, GG\), which uninstalling keeps.
; /S installs and uninstalls silently; /D=<folder> (last on the command line) installs elsewhere.
; A 64-bit installer: the program is 64-bit only, and Wine here runs 64-bit programs only.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Zanora"
!define PUBLISHER "The Zanora developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zanora"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Zanora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartFromWorkingFolder
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetShellVarContext current
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

; As the Start-menu entry does: in the working folder.
Function StartFromWorkingFolder
    SetOutPath "$LOCALAPPDATA\Zanora"
    Exec '"$INSTDIR\zanora.exe"'
FunctionEnd

Section "Zanora"
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The working folder: made when missing, never emptied. The shortcut starts the program
    ; there (CreateShortcut takes the output path as the "Start in" folder).
    CreateDirectory "$LOCALAPPDATA\Zanora"
    SetOutPath "$LOCALAPPDATA\Zanora"
    CreateShortcut "$SMPROGRAMS\Zanora.lnk" "$INSTDIR\zanora.exe" "" "$INSTDIR\zanora.exe" 0 \
        SW_SHOWNORMAL "" "${PRODUCT} ${VERSION}"
    SetOutPath "$INSTDIR"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zanora.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Removes exactly the files the installer put there, so a folder given with /D that held other
; files keeps them; the working folder with config.json and the ad store stays.
Section "Uninstall"
    !include "${UNFILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Zanora.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
