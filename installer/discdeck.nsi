; The discdeck installer (install.exe) and its uninstaller. setup.exe unpacks install.exe beside
; discdeck.exe and starts it; the installer copies the player from its own folder, so the package
; carries the program once.
;   makensis -DVERSION=1.2.3 -DART=<folder of header.bmp, wizard.bmp> -DICON=<player.ico>
;            -DOUTFILE=<install.exe> discdeck.nsi
; (installer/build_installer.py passes these; the version is the CMake project's.)
Unicode true
!macro REQUIRE symbol
    !ifndef ${symbol}
        !error "define ${symbol} (see installer/build_installer.py)"
    !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE ART
!insertmacro REQUIRE ICON
!insertmacro REQUIRE OUTFILE

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "discdeck"
!define PUBLISHER "Tarvikon"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\discdeck"
!define CLASSES "Software\Classes"
; "Play with discdeck" on every .cue file, whichever program owns the type.
!define CUE_VERB "${CLASSES}\SystemFileAssociations\.cue\shell\discdeck.play"
; Our own file type, offered in the .cue file's "Open with" list; never the type's default.
!define CUE_PROGID "discdeck.CueSheet"
; Explorer starts a verb in the file's folder: the data folder is passed on the command line.
!define CUE_COMMAND '"$INSTDIR\discdeck.exe" "--data-folder=$APPDATA\discdeck" "%1"'

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; A 32-bit program: Program Files (x86) on 64-bit Windows. An earlier installation's folder wins,
; so an upgrade replaces it in place.
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_BITMAP "${ART}/header.bmp"
!define MUI_HEADERIMAGE_UNBITMAP "${ART}/header.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${ART}/wizard.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${ART}/wizard.bmp"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TITLE "Install discdeck ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "discdeck plays audio CDs and looks up their titles on the Internet.$\r$\n$\r$\n\
Your disc database is kept in your own folder, $APPDATA\discdeck, and stays there when you install \
a newer version.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "discdeck will be installed in this folder. To use another folder, click Browse."
!insertmacro MUI_PAGE_DIRECTORY
; The progress page stays until Next, so its details can be read.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "discdeck is installed"
!define MUI_FINISHPAGE_TEXT "You find discdeck in the Start menu."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start discdeck"
!define MUI_FINISHPAGE_RUN_FUNCTION StartPlayer
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "discdeck is removed. Your disc database stays unless you tick it here."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Sets $0 to 1 while any discdeck.exe process runs (a toolhelp snapshot; works under Wine too).
!macro DEFINE_PLAYER_RUNNING un
Function ${un}PlayerRunning
    Push $1
    Push $2
    Push $3
    StrCpy $0 0
    System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p .r1'
    ${If} $1 P<> -1
        ; PROCESSENTRY32W: nine 32-bit fields (one pointer-sized) and a 260-character name.
        System::Call '*(i 556, i, i, p, i, i, i, i, i, &w260) p .r2'
        System::Call 'kernel32::Process32FirstW(p r1, p r2) i .r3'
        ${DoWhile} $3 <> 0
            System::Call '*$2(i, i, i, p, i, i, i, i, i, &w260 .r3)'
            ${If} $3 == "discdeck.exe"
                StrCpy $0 1
                ${Break}
            ${EndIf}
            System::Call 'kernel32::Process32NextW(p r1, p r2) i .r3'
        ${Loop}
        System::Free $2
        System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
    Pop $3
    Pop $2
    Pop $1
FunctionEnd

; Waits for the user to close the player; a silent run, or Cancel, ends with exit code 2.
Function ${un}RefuseWhilePlayerRuns
    ${Do}
        Call ${un}PlayerRunning
        ${If} $0 == 0
            Return
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "discdeck is running.$\r$\n$\r$\nClose discdeck, then click Retry." \
            /SD IDCANCEL IDRETRY retry
        SetErrorLevel 2
        Quit
        retry:
    ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_PLAYER_RUNNING ""
!insertmacro DEFINE_PLAYER_RUNNING "un."

Section "discdeck" SectionProgram
    SectionIn RO
    ; The player may have been started while the pages were shown.
    Call RefuseWhilePlayerRuns
    SetOutPath "$INSTDIR"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
    ${If} $1 != ""
        DetailPrint "Replacing discdeck $1"
    ${EndIf}
    ClearErrors
    CopyFiles /SILENT "$EXEDIR\discdeck.exe" "$INSTDIR"
    ${If} ${Errors}
        MessageBox MB_OK|MB_ICONSTOP "discdeck.exe could not be copied into $INSTDIR." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    WriteUninstaller "$INSTDIR\uninstall.exe"
    DetailPrint "Registering discdeck"
    ExecWait '"$INSTDIR\discdeck.exe" /RegServer'

    ; The player keeps its database and exports in its current folder: the shortcut starts it in
    ; the user's data folder, which neither an upgrade nor the uninstaller touches.
    CreateDirectory "$APPDATA\discdeck"
    SetOutPath "$APPDATA\discdeck"
    CreateShortCut "$SMPROGRAMS\discdeck.lnk" "$INSTDIR\discdeck.exe" "" "$INSTDIR\discdeck.exe" 0 \
        SW_SHOWNORMAL "" "Play audio CDs"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\discdeck.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1

    WriteRegStr HKCU "${CUE_VERB}" "" "Play with discdeck"
    WriteRegStr HKCU "${CUE_VERB}\command" "" '${CUE_COMMAND}'
    WriteRegStr HKCU "${CLASSES}\${CUE_PROGID}" "" "CUE sheet"
    WriteRegStr HKCU "${CLASSES}\${CUE_PROGID}\DefaultIcon" "" "$INSTDIR\discdeck.exe,0"
    WriteRegStr HKCU "${CLASSES}\${CUE_PROGID}\shell\open" "" "Play with discdeck"
    WriteRegStr HKCU "${CLASSES}\${CUE_PROGID}\shell\open\command" "" '${CUE_COMMAND}'
    WriteRegStr HKCU "${CLASSES}\.cue\OpenWithProgids" "${CUE_PROGID}" ""
    ; SHCNE_ASSOCCHANGED: Explorer picks up the new verb without a restart.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Function .onInit
    SetShellVarContext current
    IfFileExists "$EXEDIR\discdeck.exe" +4
        MessageBox MB_OK|MB_ICONSTOP "discdeck.exe is missing: start the installation from setup.exe." /SD IDOK
        SetErrorLevel 2
        Quit
    ; The folder page's "Space required": the player is copied, not carried inside.
    ${GetSize} "$EXEDIR" "/M=discdeck.exe /S=0K /G=0" $1 $2 $3
    SectionSetSize ${SectionProgram} $1
    Call RefuseWhilePlayerRuns
FunctionEnd

Function StartPlayer
    SetOutPath "$APPDATA\discdeck"
    Exec '"$INSTDIR\discdeck.exe"'
FunctionEnd

Function un.onInit
    SetShellVarContext current
    Call un.RefuseWhilePlayerRuns
FunctionEnd

Section "un.discdeck" UnSectionProgram
    SectionIn RO
    Call un.RefuseWhilePlayerRuns
    ExecWait '"$INSTDIR\discdeck.exe" /UnregServer'
    Delete "$INSTDIR\discdeck.exe"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\discdeck.lnk"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "${CUE_VERB}"
    DeleteRegKey /ifempty HKCU "${CLASSES}\SystemFileAssociations\.cue\shell"
    DeleteRegKey /ifempty HKCU "${CLASSES}\SystemFileAssociations\.cue"
    DeleteRegKey /ifempty HKCU "${CLASSES}\SystemFileAssociations"
    DeleteRegKey HKCU "${CLASSES}\${CUE_PROGID}"
    DeleteRegValue HKCU "${CLASSES}\.cue\OpenWithProgids" "${CUE_PROGID}"
    DeleteRegKey /ifempty HKCU "${CLASSES}\.cue\OpenWithProgids"
    DeleteRegKey /ifempty HKCU "${CLASSES}\.cue"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; Off unless ticked: the database, exports and the player's settings are the user's.
Section /o "un.Remove my disc database" UnSectionData
    RMDir /r "$APPDATA\discdeck"
    DeleteRegKey HKCU "Software\${PUBLISHER}\discdeck"
    DeleteRegKey /ifempty HKCU "Software\${PUBLISHER}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSectionProgram} "The program, its Start menu shortcut and its registry entries."
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSectionData} "Your disc database and exports in $APPDATA\discdeck, and your settings."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
