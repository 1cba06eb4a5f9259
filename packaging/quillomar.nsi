; Quillomar's setup for 64-bit Windows: the saver into the system folder, where the display
; settings look for screen savers; an entry in Apps that removes it again; and, checked by
; default, Quillomar made the installing user's screen saver. Silent with /S.
; makensis -DVERSION=<major.minor> -DVERSION_NUMBERS=<a.b.c.d> -DSCR=<Quillomar.scr>
;          -DICON=<quillomar.ico> -DOUTFILE=<exe>
Unicode true
Target amd64-unicode
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillomar"
!define SAVER "$SYSDIR\Quillomar.scr"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SENDCHANGE 2

Name "Quillomar"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Quillomar"
RequestExecutionLevel admin
Icon "${ICON}"
UninstallIcon "${ICON}"
VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey "ProductName" "Quillomar"
VIAddVersionKey "CompanyName" "Tarnwick"
VIAddVersionKey "FileDescription" "Quillomar screen saver setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Tarnwick"

Page components
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var NewSaver ; its temporary name in the system folder until it replaces Quillomar.scr

; A running saver (the display settings keep a preview running) holds its file open: Windows
; neither overwrites nor deletes it, but lets it be renamed. So the saver is renamed aside and
; deleted, at once or, when held, at the next restart; the system folder is free for a new one.
; Only one that may not even be renamed (held by another program) stays until the restart.
!macro SET_SAVER_ASIDE un
Function ${un}Set_Saver_Aside
    GetTempFileName $0 "$SYSDIR"
    Delete $0
    Rename "${SAVER}" $0
    Delete /REBOOTOK $0
FunctionEnd
!macroend
!insertmacro SET_SAVER_ASIDE ""
!insertmacro SET_SAVER_ASIDE "un."

Section "Quillomar screen saver" SaverSection
    SectionIn RO
    Call Set_Saver_Aside
    GetTempFileName $NewSaver "$SYSDIR"
    File "/oname=$NewSaver" "${SCR}"
    Rename /REBOOTOK $NewSaver "${SAVER}"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    ${GetSize} "$SYSDIR" "/M=Quillomar.scr /S=0K /G=0" $0 $1 $2
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quillomar"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tarnwick"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${SAVER},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Make Quillomar my screen saver" CurrentSection
    WriteRegStr HKCU "Control Panel\Desktop" "SCRNSAVE.EXE" "${SAVER}"
    WriteRegStr HKCU "Control Panel\Desktop" "ScreenSaveActive" "1"
    ; The running session takes the choice now, not at the next sign-in.
    System::Call \
        "user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_SENDCHANGE})"
SectionEnd

Function .onInstSuccess
    ${If} ${FileExists} $NewSaver
        MessageBox MB_ICONINFORMATION|MB_OK \
            "Quillomar.scr is in use. The new version takes its place when Windows restarts." \
            /SD IDOK
    ${EndIf}
FunctionEnd

; The user's settings (Software\Tarnwick\Quillomar) stay, for a later install.
Section "Uninstall"
    Call un.Set_Saver_Aside
    Delete /REBOOTOK "${SAVER}"
    ReadRegStr $0 HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
    ${If} $0 == "${SAVER}"
        DeleteRegValue HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd

Function un.onUninstSuccess
    ${If} ${FileExists} "${SAVER}"
        MessageBox MB_ICONINFORMATION|MB_OK \
            "Quillomar.scr is in use. It is removed when Windows restarts." /SD IDOK
    ${EndIf}
FunctionEnd
