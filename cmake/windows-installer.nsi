; The Windows installer of linesaver: for the current user, without
; administrator rights. Installs linesaver.scr and its music folder into
; %LOCALAPPDATA%\Programs\linesaver, makes it the user's screen saver and
; registers an uninstaller that puts everything back as it was.
;
; makensis -DVERSION=x.y.z -DBINDIR=<folder with linesaver.scr and music>
;          -DTRACKS=<tracks.nsh> -DOUTFILE=<setup.exe> -DICON=<linesaver.ico>
;          -DPUBLISHER=<name> windows-installer.nsi
; tracks.nsh defines the macros InstallTracks and RemoveTracks, one line a
; demo track.
; A 64-bit installer for the 64-bit saver.
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

Name "linesaver ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\linesaver"
ShowInstDetails show
ShowUninstDetails show
Icon "${ICON}"
UninstallIcon "${ICON}"

; The setup program's own Properties.
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "linesaver"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "linesaver ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define DESKTOP "Control Panel\Desktop"
!define UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\linesaver"

!include "FileFunc.nsh"
!include "${TRACKS}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "linesaver"
    SetOutPath "$INSTDIR"
    File "${BINDIR}/linesaver.scr"
    File "${BINDIR}/LICENSE.txt"
    File "${BINDIR}/NOTICES.txt"
    SetOutPath "$INSTDIR\music"
    !insertmacro InstallTracks
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; What the screen-saver settings were, for the uninstaller (only the
    ; first install's: a reinstall keeps them).
    ReadRegStr $0 HKCU "${UNINSTALL}" "PreviousScreenSaver"
    ReadRegStr $1 HKCU "${UNINSTALL}" "PreviousScreenSaveActive"
    IfErrors 0 +5
        ReadRegStr $0 HKCU "${DESKTOP}" "SCRNSAVE.EXE"
        ReadRegStr $1 HKCU "${DESKTOP}" "ScreenSaveActive"
        WriteRegStr HKCU "${UNINSTALL}" "PreviousScreenSaver" "$0"
        WriteRegStr HKCU "${UNINSTALL}" "PreviousScreenSaveActive" "$1"
    WriteRegStr HKCU "${DESKTOP}" "SCRNSAVE.EXE" "$INSTDIR\linesaver.scr"
    WriteRegStr HKCU "${DESKTOP}" "ScreenSaveActive" "1"

    ; The Apps list's entry.
    WriteRegStr HKCU "${UNINSTALL}" "DisplayName" "linesaver"
    WriteRegStr HKCU "${UNINSTALL}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL}" "DisplayIcon" "$INSTDIR\linesaver.scr,0"
    WriteRegStr HKCU "${UNINSTALL}" "Publisher" "${PUBLISHER}"
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL}" "EstimatedSize" $0
    WriteRegStr HKCU "${UNINSTALL}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    ; The screen saver as it was, unless the user has chosen another since.
    ReadRegStr $0 HKCU "${DESKTOP}" "SCRNSAVE.EXE"
    StrCmp $0 "$INSTDIR\linesaver.scr" 0 settings_done
        ReadRegStr $0 HKCU "${UNINSTALL}" "PreviousScreenSaver"
        ReadRegStr $1 HKCU "${UNINSTALL}" "PreviousScreenSaveActive"
        StrCmp $0 "" 0 +3
            DeleteRegValue HKCU "${DESKTOP}" "SCRNSAVE.EXE"
            Goto +2
            WriteRegStr HKCU "${DESKTOP}" "SCRNSAVE.EXE" "$0"
        StrCmp $1 "" 0 +3
            DeleteRegValue HKCU "${DESKTOP}" "ScreenSaveActive"
            Goto +2
            WriteRegStr HKCU "${DESKTOP}" "ScreenSaveActive" "$1"
    settings_done:
    DeleteRegKey HKCU "${UNINSTALL}"

    ; What was installed, and the saver's private folder; tracks the user
    ; added to the music folder stay.
    Delete "$INSTDIR\linesaver.scr"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\NOTICES.txt"
    !insertmacro RemoveTracks
    RMDir "$INSTDIR\music"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    RMDir /r "$LOCALAPPDATA\linesaver"
SectionEnd
