; Corvane's own steps in CPack's installer script: the .prm association, the command prompt
; entry, the choices a silent install can make, the all-users PATH kept to Program Files, and
; an uninstall that leaves no empty keys behind.

!include FileFunc.nsh

!define CORVANE_PROGID "Corvane.ParameterFile"
!define CORVANE_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
!define CORVANE_PROMPT "Corvane command prompt.lnk"
!define CORVANE_STATION "Corvane station.lnk"

; A silent install asks nobody: /DESKTOP makes the desktop shortcut, /PATH=USER or /PATH=ALL puts
; bin\ on PATH, as ticking them on the options page would.
!macro CorvanePreinstall
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/DESKTOP" $R1
  IfErrors +2
    WriteINIStr "$PLUGINSDIR\NSIS.InstallOptions.ini" "Field 5" "State" "1"
  ClearErrors
  ${GetOptions} $R0 "/PATH=" $R1
  IfErrors corvane_options_done
  StrCmp $R1 "ALL" 0 +3
    StrCpy $R2 "Field 3"
    Goto corvane_path_field
  StrCmp $R1 "USER" 0 corvane_options_done
    StrCpy $R2 "Field 4"
  corvane_path_field:
    WriteINIStr "$PLUGINSDIR\NSIS.InstallOptions.ini" "Field 2" "State" "0"
    WriteINIStr "$PLUGINSDIR\NSIS.InstallOptions.ini" "$R2" "State" "1"
  corvane_options_done:
!macroend

; A console in bin\, where corvane-update is found without PATH.
!macro CorvaneIcons
  SetOutPath "$INSTDIR\bin"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\${CORVANE_PROMPT}" "$SYSDIR\cmd.exe" \
      "/k corvane-update --version" "$SYSDIR\cmd.exe" 0
  ; The production line's window beside the one-device dialog.
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\${CORVANE_STATION}" "$INSTDIR\bin\Corvane.exe" \
      "--station" "$INSTDIR\bin\Corvane.exe" 0
!macroend

!macro CorvaneDeleteIcons
  Delete "$SMPROGRAMS\$MUI_TEMP\${CORVANE_PROMPT}"
  Delete "$SMPROGRAMS\$MUI_TEMP\${CORVANE_STATION}"
!macroend

!macro CorvaneInstall
  ; Double-clicking a .prm file opens it in the window.
  WriteRegStr SHCTX "Software\Classes\.prm" "" "${CORVANE_PROGID}"
  WriteRegStr SHCTX "Software\Classes\${CORVANE_PROGID}" "" "Corvane parameter file"
  WriteRegStr SHCTX "Software\Classes\${CORVANE_PROGID}\DefaultIcon" "" "$INSTDIR\bin\Corvane.exe,0"
  WriteRegStr SHCTX "Software\Classes\${CORVANE_PROGID}\shell\open\command" "" \
      '"$INSTDIR\bin\Corvane.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  ; Every user's PATH searched in a folder that users can write to would run whatever they put
  ; there: outside Program Files the current user's PATH is taken instead.
  StrCmp $ADD_TO_PATH_ALL_USERS "1" 0 corvane_path_done
  GetFullPathName $R0 "$INSTDIR"
  StrLen $R1 "$PROGRAMFILES64\"
  StrCpy $R2 "$R0\" $R1
  StrCmp $R2 "$PROGRAMFILES64\" corvane_path_done
  StrLen $R1 "$PROGRAMFILES32\"
  StrCpy $R2 "$R0\" $R1
  StrCmp $R2 "$PROGRAMFILES32\" corvane_path_done
    StrCpy $ADD_TO_PATH_ALL_USERS "0"
    StrCpy $ADD_TO_PATH_CURRENT_USER "1"
    WriteRegStr SHCTX "${CORVANE_UNINSTALL_KEY}" "AddToPathAllUsers" "0"
    WriteRegStr SHCTX "${CORVANE_UNINSTALL_KEY}" "AddToPathCurrentUser" "1"
    DetailPrint "$R0 is not under Program Files: bin\ goes on the current user's PATH only"
    ; (A line continued inside a string would keep the next line's indent.)
    StrCpy $R1 "$R0 is not under Program Files, where only administrators can write."
    MessageBox MB_OK|MB_ICONINFORMATION "$R1$\r$\nIts bin folder goes on your own PATH, not on every user's." /SD IDOK
  corvane_path_done:
!macroend

!macro CorvaneUninstall
  ReadRegStr $R0 SHCTX "Software\Classes\.prm" ""
  StrCmp $R0 "${CORVANE_PROGID}" 0 +2
    DeleteRegValue SHCTX "Software\Classes\.prm" ""
  DeleteRegKey /ifempty SHCTX "Software\Classes\.prm"
  DeleteRegKey SHCTX "Software\Classes\${CORVANE_PROGID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

; After CPack's own steps, which remove only the key below the vendor's and leave PATH empty
; when bin\ was all it held.
Function un.onUninstSuccess
  DeleteRegKey /ifempty SHCTX "Software\Corvane developers"
  ReadRegStr $R0 HKCU "Environment" "PATH"
  StrCmp $R0 "" 0 +2
    DeleteRegValue HKCU "Environment" "PATH"
FunctionEnd
