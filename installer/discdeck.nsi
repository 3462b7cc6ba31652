; The discdeck installer (install.exe) and its uninstaller. setup.exe unpacks install.exe beside
; discdeck.exe and starts it; the installer copies the player from its own folder, so the package
; carries the program once. One scope: per machine (Program Files, the all-users Start menu, HKLM),
; with each user's data folder named as %APPDATA%\discdeck and expanded for whoever starts the player.
;   makensis -DVERSION=1.2.3 -DPUBLISHER=<name> -DART=<folder of header.bmp, wizard.bmp>
;            -DICON=<player.ico> -DOUTFILE=<install.exe> [-DSIGN=<command>] discdeck.nsi
; (installer/build_installer.py passes these; version and publisher are the CMake project's. SIGN,
; when given, is run on the uninstaller and on install.exe with the file's path.)
Unicode true
!macro REQUIRE symbol
    !ifndef ${symbol}
        !error "define ${symbol} (see installer/build_installer.py)"
    !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE PUBLISHER
!insertmacro REQUIRE ART
!insertmacro REQUIRE ICON
!insertmacro REQUIRE OUTFILE

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh

!define PRODUCT "discdeck"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\discdeck"
!define CLASSES "Software\Classes"
; "Play with discdeck" on every .cue file and every .flac file (an image may carry its sheet),
; whichever program owns the type, and our own file type for each, offered in the file's "Open with"
; list; never the type's default.
!define VERB_NAME "shell\discdeck.play"
!define CUE_PROGID "discdeck.CueSheet"
!define FLAC_PROGID "discdeck.FlacImage"
; Explorer starts a verb in the file's folder: the data folder is passed on the command line, as
; %APPDATA% in a REG_EXPAND_SZ value, so that each user's own is used.
!define PLAYER '"$INSTDIR\discdeck.exe"'
!define DATA_OPTION '"--data-folder=%APPDATA%\discdeck"'
!define PLAY_COMMAND '${PLAYER} ${DATA_OPTION} "%1"'
; A refused downgrade's exit code (2: the player runs or the copy failed).
!define EXIT_DOWNGRADE 3

!ifdef SIGN
    ; Every program is signed as it is written: the uninstaller before it goes into install.exe.
    !uninstfinalize '${SIGN} "%1"'
    !finalize '${SIGN} "%1"'
!endif

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; A 32-bit program: Program Files (x86) on 64-bit Windows. An earlier installation's folder is
; taken without asking (.onInit), so an upgrade replaces it in place.
InstallDir "$PROGRAMFILES\${PRODUCT}"
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
Each user's disc database is kept in their own folder, %APPDATA%\discdeck, and stays there when you \
install a newer version.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "discdeck will be installed in this folder. To use another folder, click Browse."
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFolderOnUpgrade
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

; Deletes the key when its default value is a command of this folder's player.
!macro DELETE_OUR_COMMAND root key
    ReadRegStr $1 ${root} "${key}\command" ""
    StrLen $2 '${PLAYER}'
    StrCpy $1 $1 $2
    ${If} $1 == '${PLAYER}'
        DeleteRegKey ${root} "${key}"
    ${EndIf}
!macroend

; A file kind's verb, our file type and its Open-with value, where they start this folder's player,
; and the keys above them that are left empty.
!macro REMOVE_OUR_ENTRIES root ext progid
    !insertmacro DELETE_OUR_COMMAND ${root} "${CLASSES}\SystemFileAssociations\${ext}\${VERB_NAME}"
    DeleteRegKey /ifempty ${root} "${CLASSES}\SystemFileAssociations\${ext}\shell"
    DeleteRegKey /ifempty ${root} "${CLASSES}\SystemFileAssociations\${ext}"
    !insertmacro DELETE_OUR_COMMAND ${root} "${CLASSES}\${progid}\shell\open"
    ReadRegStr $1 ${root} "${CLASSES}\${progid}\shell\open\command" ""
    ${If} $1 == ""
        DeleteRegKey ${root} "${CLASSES}\${progid}"
        DeleteRegValue ${root} "${CLASSES}\${ext}\OpenWithProgids" "${progid}"
        DeleteRegKey /ifempty ${root} "${CLASSES}\${ext}\OpenWithProgids"
        DeleteRegKey /ifempty ${root} "${CLASSES}\${ext}"
    ${EndIf}
!macroend

!macro REMOVE_OUR_FILE_ENTRIES root
    !insertmacro REMOVE_OUR_ENTRIES ${root} ".cue" "${CUE_PROGID}"
    !insertmacro REMOVE_OUR_ENTRIES ${root} ".flac" "${FLAC_PROGID}"
!macroend

; "Play with discdeck" for a file kind, and our file type in its Open-with list.
!macro WRITE_OUR_ENTRIES ext progid description
    WriteRegStr HKLM "${CLASSES}\SystemFileAssociations\${ext}\${VERB_NAME}" "" "Play with discdeck"
    WriteRegExpandStr HKLM "${CLASSES}\SystemFileAssociations\${ext}\${VERB_NAME}\command" "" '${PLAY_COMMAND}'
    WriteRegStr HKLM "${CLASSES}\${progid}" "" "${description}"
    WriteRegStr HKLM "${CLASSES}\${progid}\DefaultIcon" "" "$INSTDIR\discdeck.exe,0"
    WriteRegStr HKLM "${CLASSES}\${progid}\shell\open" "" "Play with discdeck"
    WriteRegExpandStr HKLM "${CLASSES}\${progid}\shell\open\command" "" '${PLAY_COMMAND}'
    WriteRegStr HKLM "${CLASSES}\${ext}\OpenWithProgids" "${progid}" ""
!macroend

Var Installed  ; the folder of an existing installation, empty without one

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
    ExecWait '${PLAYER} /RegServer'

    ; The player keeps its database and exports in its current folder: the shortcut hands it each
    ; user's own data folder (the player makes it when missing), which neither an upgrade nor the
    ; uninstaller touches.
    CreateShortCut "$SMPROGRAMS\discdeck.lnk" "$INSTDIR\discdeck.exe" '${DATA_OPTION}' "$INSTDIR\discdeck.exe" 0 \
        SW_SHOWNORMAL "" "Play audio CDs"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\discdeck.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    ; _?= runs the uninstaller in place, so its exit code is the uninstall's result; without it
    ; the uninstaller copies itself away, starts the copy and returns at once.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1

    !insertmacro WRITE_OUR_ENTRIES ".cue" "${CUE_PROGID}" "CUE sheet"
    !insertmacro WRITE_OUR_ENTRIES ".flac" "${FLAC_PROGID}" "FLAC image"
    ; Versions before the per-machine scope kept these in the installing user's HKCU, where they
    ; would hide the machine's and outlive an uninstall by another account.
    !insertmacro REMOVE_OUR_FILE_ENTRIES HKCU
    ; SHCNE_ASSOCCHANGED: Explorer picks up the new verb without a restart.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Function .onInit
    SetShellVarContext all
    IfFileExists "$EXEDIR\discdeck.exe" +4
        MessageBox MB_OK|MB_ICONSTOP "discdeck.exe is missing: start the installation from setup.exe." /SD IDOK
        SetErrorLevel 2
        Quit
    ; One copy: an existing installation is replaced in its own folder, whatever /D= says.
    ReadRegStr $Installed HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $Installed != ""
    ${AndIf} ${FileExists} "$Installed\discdeck.exe"
        StrCpy $INSTDIR $Installed
        Call RefuseDowngrade
    ${Else}
        StrCpy $Installed ""
    ${EndIf}
    ; The folder page's "Space required": the player is copied, not carried inside.
    ${GetSize} "$EXEDIR" "/M=discdeck.exe /S=0K /G=0" $1 $2 $3
    SectionSetSize ${SectionProgram} $1
    Call RefuseWhilePlayerRuns
FunctionEnd

; An older version over a newer one only when the user agrees; silently only with /ALLOWDOWNGRADE.
Function RefuseDowngrade
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
    ${VersionCompare} "$1" "${VERSION}" $2
    ${If} $2 != 1
        Return
    ${EndIf}
    ${GetParameters} $3
    ClearErrors
    ${GetOptions} $3 "/ALLOWDOWNGRADE" $4
    ${IfNot} ${Errors}
        Return
    ${EndIf}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "discdeck $1, a newer version, is installed.$\r$\n$\r$\n\
Replace it with the older ${VERSION}?" /SD IDNO IDYES keep
    SetErrorLevel ${EXIT_DOWNGRADE}
    Quit
    keep:
FunctionEnd

Function SkipFolderOnUpgrade
    ${If} $Installed != ""
        Abort
    ${EndIf}
FunctionEnd

Function StartPlayer
    ; The installer runs elevated; a player started from it would be too, and Explorer's drops and
    ; the verb's hand-over could not reach it (UIPI). Explorer opens the shortcut as the logged-on
    ; user. Without a split token (no UAC) the player is started directly.
    System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r1) i .r0'
    StrCpy $2 0
    ${If} $0 <> 0
        ; TokenElevationType: 2 is the full token of an elevated administrator.
        System::Call 'advapi32::GetTokenInformation(p r1, i 18, *i .r2, i 4, *i .r3)'
        System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
    ${If} $2 = 2
        Exec '"$WINDIR\explorer.exe" "$SMPROGRAMS\discdeck.lnk"'
    ${Else}
        Exec '${PLAYER} ${DATA_OPTION}'
    ${EndIf}
FunctionEnd

Function un.onInit
    SetShellVarContext all
    Call un.RefuseWhilePlayerRuns
FunctionEnd

; $0 = 1 when the uninstall entry ($1) names this folder or names none: an installation elsewhere
; owns the entry, the shortcut and the AppID, and an old copy's uninstaller leaves them alone.
Function un.OwnsEntries
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 == ""
    ${OrIf} $1 == $INSTDIR
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
FunctionEnd

Section "un.discdeck" UnSectionProgram
    SectionIn RO
    Call un.RefuseWhilePlayerRuns
    Call un.OwnsEntries
    ${If} $0 = 1
        ExecWait '${PLAYER} /UnregServer'
        Delete "$SMPROGRAMS\discdeck.lnk"
        DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ${Else}
        DetailPrint "Entries of the installation in $1 kept"
    ${EndIf}
    Delete "$INSTDIR\discdeck.exe"

    !insertmacro REMOVE_OUR_FILE_ENTRIES HKLM
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    ${If} $EXEDIR == $INSTDIR
        ; Run in place (_?=): the running uninstaller cannot delete itself; a command without a
        ; window (CREATE_NO_WINDOW), started outside the folder, does once it has ended.
        System::Alloc 68  ; STARTUPINFOW, zeroed
        Pop $2
        System::Call '*$2(i 68)'
        System::Alloc 16  ; PROCESS_INFORMATION
        Pop $3
        System::Call `kernel32::CreateProcessW(p 0, w '"$SYSDIR\cmd.exe" /c ping -n 3 127.0.0.1 >nul & \
del /f /q "$INSTDIR\uninstall.exe" & rmdir "$INSTDIR"', p 0, p 0, i 0, i 0x08000000, p 0, w "$TEMP", p r2, p r3) i .r0`
        ${If} $0 <> 0
            System::Call '*$3(p .r4, p .r5)'
            System::Call 'kernel32::CloseHandle(p r4)'
            System::Call 'kernel32::CloseHandle(p r5)'
        ${EndIf}
        System::Free $2
        System::Free $3
    ${Else}
        Delete "$INSTDIR\uninstall.exe"
        RMDir "$INSTDIR"
    ${EndIf}
SectionEnd

; Off unless ticked: the database, exports and the player's settings are the user's. Only the
; player's own files go; anything else the user keeps there stays, and so does the folder then.
Section /o "un.Remove my disc database" UnSectionData
    SetShellVarContext current
    Delete "$APPDATA\discdeck\titles.sdb"
    Delete "$APPDATA\discdeck\tracks.sdb"
    Delete "$APPDATA\discdeck\Title.txt"
    Delete "$APPDATA\discdeck\PlayList.htm"
    Delete "$APPDATA\discdeck\Titles.htm"
    RMDir "$APPDATA\discdeck"
    SetShellVarContext all
    DeleteRegKey HKCU "Software\${PUBLISHER}\discdeck"
    DeleteRegKey /ifempty HKCU "Software\${PUBLISHER}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSectionProgram} "The program, its Start menu shortcut and its registry entries."
    !insertmacro MUI_DESCRIPTION_TEXT ${UnSectionData} "Your disc database and exports in %APPDATA%\discdeck, and your settings. Other files there stay."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
