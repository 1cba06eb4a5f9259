; Quillomar's setup for 64-bit Windows: the saver into the system folder, where the display
; settings look for screen savers; an entry in Apps that removes it again; and, checked by
; default, Quillomar made the installing user's screen saver. Silent with /S.
; makensis -DVERSION=<major.minor> -DVERSION_NUMBERS=<a.b.c.d> -DSCR=<Quillomar.scr>
;          -DICON=<quillomar.ico> -DOUTFILE=<exe>
Unicode true
Target amd64-unicode
!include FileFunc.nsh
!include LogicLib.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillomar"
!define SAVER "$SYSDIR\Quillomar.scr"

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

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP|MB_OK "Quillomar needs 64-bit Windows." /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
FunctionEnd

Section "Quillomar screen saver" SaverSection
    SectionIn RO
    SetOutPath "$SYSDIR"
    File "/oname=Quillomar.scr" "${SCR}"
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
SectionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

; The user's settings (Software\Tarnwick\Quillomar) stay, for a later install.
Section "Uninstall"
    Delete "${SAVER}"
    ReadRegStr $0 HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
    ${If} $0 == "${SAVER}"
        DeleteRegValue HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
