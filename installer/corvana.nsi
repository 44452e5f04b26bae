; Corvana's setup: installs for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Corvana, with a Start menu shortcut, a Send To entry and an entry in the
; list of installed programs; its uninstaller removes all of that and keeps the user's settings
; unless asked not to. /S installs or uninstalls silently. Exit status 0 on success, 2 when the
; setup refused (the reason is shown, or with /S only returned).
;
; Built by the "installer" target of a Windows build:
;   makensis -DARCH=win64|win32 -DSOURCE=<portable folder> -DMAKER=<publisher>
;            -DICON=<program icon> -DOUTFILE=<setup.exe> corvana.nsi
; The version comes from the version record of SOURCE\Corvana.exe.

; Each setup is a program of its own architecture: 32-bit Windows refuses to start the 64-bit one.
!if "${ARCH}" == "win64"
    Target amd64-unicode
!else
    Target x86-unicode
!endif
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!getdllversion "${SOURCE}\Corvana.exe" VERSION_
!define VERSION "${VERSION_1}.${VERSION_2}.${VERSION_3}.${VERSION_4}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvana"
; Held by a running Corvana for its whole life.
!define RUNNING_MUTEX "KALDERN_Corvana"
!define SETTINGS_FOLDER "$APPDATA\${MAKER}\Corvana"

Name "Corvana"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Corvana"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Corvana"
VIAddVersionKey /LANG=1033 "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${MAKER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Corvana ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_LICENSE "${SOURCE}\license.txt"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckFolderLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Corvana.exe"
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.SettingsPage un.SettingsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var RemoveSettings
Var RemoveSettingsBox

; Refuses, with the message shown (or only returned under /S), and ends with exit status 2.
!macro Refuse text
    MessageBox MB_ICONSTOP|MB_OK "${text}" /SD IDOK
    SetErrorLevel 2
    Quit
!macroend

!macro RefuseWhileRunning prefix
Function ${prefix}RefuseWhileRunning
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0'
    ${If} $0 <> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        !insertmacro Refuse "Corvana is running. Close every Corvana window, then run this again."
    ${EndIf}
FunctionEnd
!macroend
!insertmacro RefuseWhileRunning ""
!insertmacro RefuseWhileRunning "un."

; Sets $0 to 1 when the folder can be made and written to, else to 0.
Function FolderIsWritable
    ClearErrors
    CreateDirectory "$INSTDIR"
    FileOpen $1 "$INSTDIR\corvana-setup.tmp" w
    ${If} ${Errors}
        StrCpy $0 0
    ${Else}
        FileClose $1
        Delete "$INSTDIR\corvana-setup.tmp"
        StrCpy $0 1
    ${EndIf}
FunctionEnd

!define NOT_WRITABLE "Corvana cannot be installed in $\"$INSTDIR$\": the folder cannot be created or written to. Choose a folder of your own, such as $\"$LOCALAPPDATA\Programs\Corvana$\"."

Function CheckFolderLeave
    Call FolderIsWritable
    ${If} $0 == 0
        MessageBox MB_ICONSTOP|MB_OK "${NOT_WRITABLE}"
        Abort ; stays on the page
    ${EndIf}
FunctionEnd

Function .onInit
    Call RefuseWhileRunning
FunctionEnd

Section "-Corvana"
    ; Under /S no page has checked the folder.
    Call FolderIsWritable
    ${If} $0 == 0
        !insertmacro Refuse "${NOT_WRITABLE}"
    ${EndIf}
    SetOutPath "$INSTDIR"
    ; settings.ini, which the program keeps here, is never part of the setup and stays as it is.
    File "${SOURCE}\Corvana.exe"
    File "${SOURCE}\ffmpeg.exe"
    File "${SOURCE}\license.txt"
    File "${SOURCE}\ffmpeg-license.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Corvana.lnk" "$INSTDIR\Corvana.exe"
    ; Explorer starts the target with every file and folder sent, which the program adds to its list.
    CreateShortcut "$SENDTO\Corvana.lnk" "$INSTDIR\Corvana.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Corvana"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Corvana.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    Call un.RefuseWhileRunning
    ${IfNot} ${FileExists} "$INSTDIR\Corvana.exe"
        !insertmacro Refuse "Corvana is not installed in $\"$INSTDIR$\" (it may have been removed already). Nothing was changed."
    ${EndIf}
FunctionEnd

Function un.SettingsPage
    !insertmacro MUI_HEADER_TEXT "Uninstall Corvana" "Remove Corvana from $\"$INSTDIR$\"."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 36u "Corvana, its shortcuts and its entry in the list of programs will be removed. Your settings stay on this computer for a later install, unless you tick the box."
    Pop $0
    ${NSD_CreateCheckbox} 0 44u 100% 12u "Also remove my settings"
    Pop $RemoveSettingsBox
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
    nsDialogs::Show
FunctionEnd

Function un.SettingsPageLeave
    ${NSD_GetState} $RemoveSettingsBox $RemoveSettings
FunctionEnd

Section "-un.Corvana"
    SetAutoClose true
    Delete "$INSTDIR\Corvana.exe"
    Delete "$INSTDIR\ffmpeg.exe"
    Delete "$INSTDIR\license.txt"
    Delete "$INSTDIR\ffmpeg-license.txt"
    Delete "$INSTDIR\uninstall.exe"
    Delete "$SMPROGRAMS\Corvana.lnk"
    Delete "$SENDTO\Corvana.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${If} $RemoveSettings == ${BST_CHECKED}
        Delete "$INSTDIR\settings.ini"
        Delete "${SETTINGS_FOLDER}\settings.ini"
        RMDir "${SETTINGS_FOLDER}"
        RMDir "$APPDATA\${MAKER}"
    ${EndIf}
    ; Only when nothing of the user's is left in it.
    RMDir "$INSTDIR"
SectionEnd
