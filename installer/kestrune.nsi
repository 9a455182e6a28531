; Kestrune's Windows installer: a per-user install (no administrator rights) into the user's own
; programs folder, with a Start menu shortcut, an entry in Windows' installed apps and, by choice,
; a start into the tray at log-on. scripts/package.sh builds it from its staging folder:
;   makensis -DVERSION=1.0.0.0 -DSTAGE=<packaged files> -DOUTFILE=<setup.exe> kestrune.nsi
; /S installs (and uninstall.exe /S uninstalls) silently with the defaults.
; The user's settings (HKCU\Software\KESTRUNE) and recordings are never touched: an install over
; an older version keeps them, and so does the uninstaller. The uninstaller removes the user's task
; in Task Scheduler (\Kestrune) that starts the program for the next reservation when it starts
; this install.

Unicode true
; The program is 64-bit; NSIS's 64-bit stub is also the one that Wine's wine64 runs.
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "makensis needs -DVERSION=, -DSTAGE= and -DOUTFILE= (scripts/package.sh passes them)"
!endif
!ifndef STAGE
  !error "makensis needs -DVERSION=, -DSTAGE= and -DOUTFILE= (scripts/package.sh passes them)"
!endif
!ifndef OUTFILE
  !error "makensis needs -DVERSION=, -DSTAGE= and -DOUTFILE= (scripts/package.sh passes them)"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrune"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define STARTUP_APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
!define PUBLISHER "The Kestrune developers"

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh

Name "Kestrune"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kestrune"
; Another install goes where the last one went, over its files.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Kestrune ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!define MUI_ICON "../resources/bitmaps/128.ico"
!define MUI_UNICON "../resources/bitmaps/128.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Kestrune now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartKestruneAsTheUser
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Kestrune"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "Kestrune Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (c) The Kestrune developers. MIT licence."

; A running Kestrune holds its program file open, so neither installing over it nor removing it
; can work. Closing it from here could cut a recording short: the user closes it instead. A silent
; run has no one to ask and ends with exit code 2, changing nothing.
; Windows refuses to open a running program's file for writing: that finds the installed copy
; however it was started and whatever its window says, and a copy run from elsewhere (the zip's)
; is none of this setup's business.
!macro WaitForKestruneToClose
  ${Do}
    ${IfNot} ${FileExists} "$INSTDIR\kestrune.exe"
      ${Break}
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\kestrune.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kestrune is running. Close it (its tray menu's Exit or its Close button), then click Retry." /SD IDCANCEL IDRETRY`
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${Loop}
!macroend

; Sets `result` to 1 when the Run value "Kestrune" starts $INSTDIR\kestrune.exe, else to 0: after
; any leading blanks, the path in quotes (anything may follow the closing quote), or the path
; unquoted followed by the end or a blank; letter case aside, as the program's tray item reads it.
; Uses $R0..$R3.
!macro RunValueNamesInstalled result
  StrCpy ${result} 0
  ReadRegStr $R0 HKCU "${RUN_KEY}" "Kestrune"
  ${Do}
    StrCpy $R1 $R0 1
    ${If} $R1 != " "
    ${AndIf} $R1 != "$\t"
      ${Break}
    ${EndIf}
    StrCpy $R0 $R0 "" 1
  ${Loop}
  ${If} $R1 == '"'
    StrCpy $R2 '"$INSTDIR\kestrune.exe"'
    StrLen $R3 $R2
    StrCpy $R0 $R0 $R3
  ${Else}
    StrCpy $R2 "$INSTDIR\kestrune.exe"
    StrLen $R3 $R2
    StrCpy $R1 $R0 1 $R3
    StrCpy $R0 $R0 $R3
    ${If} $R1 != ""
    ${AndIf} $R1 != " "
    ${AndIf} $R1 != "$\t"
      StrCpy $R0 ""
    ${EndIf}
  ${EndIf}
  ${If} $R0 == $R2
    StrCpy ${result} 1
  ${EndIf}
!macroend

Section "Kestrune" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}/kestrune.exe"
  File "${STAGE}/lame_enc.dll"
  File "${STAGE}/User Guide.txt"
  File "${STAGE}/LICENSE.txt"
  File "${STAGE}/LAME-LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Kestrune.lnk" "$INSTDIR\kestrune.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kestrune"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestrune.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The log-on choice below is the user's answer for this install: unticked, it ends an earlier
  ; start of this install at log-on too. Another copy's entry (the zip's, elsewhere) stays.
  !insertmacro RunValueNamesInstalled $0
  ${If} $0 = 1
    DeleteRegValue HKCU "${RUN_KEY}" "Kestrune"
  ${EndIf}
SectionEnd

; The program's own tray item "Start with Windows" writes and removes this same value. Explorer's
; Startup apps record of it is left alone: over an update it still holds the user's switch.
Section "Start Kestrune when I log on (in the tray)" SecLogon
  WriteRegStr HKCU "${RUN_KEY}" "Kestrune" '"$INSTDIR\kestrune.exe" /tray'
SectionEnd

Function .onInit
  SetShellVarContext current
  !insertmacro WaitForKestruneToClose
  ; Over an earlier install, the log-on choice starts as the user left it (here or through the
  ; tray item) rather than as the first install's default: on only while the entry starts this
  ; install.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    !insertmacro RunValueNamesInstalled $1
    ${If} $1 = 0
      !insertmacro UnselectSection ${SecLogon}
    ${EndIf}
  ${EndIf}
FunctionEnd

; "Start Kestrune now" starts the program with the user's ordinary token. A setup run as
; administrator would hand its elevation on: a REALTIME-capable process, a tray icon the shell's
; callback cannot reach (UIPI), and a task in Task Scheduler the user's later copy can neither
; replace nor delete. Explorer, which runs with the user's own token, starts it then. UserInfo says
; "Admin" only for a token that holds the Administrators group enabled, that is an elevated one.
Function StartKestruneAsTheUser
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\kestrune.exe"'
  ${Else}
    Exec '"$INSTDIR\kestrune.exe"'
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
  !insertmacro WaitForKestruneToClose
FunctionEnd

; Only what the installer put there goes: the recordings (the record folder) and the settings
; stay, and a folder the user chose that holds other files is left with them.
Section "Uninstall"
  ; The task that has Windows start Kestrune for the next reservation goes first, removed by the
  ; program itself, which knows the task's name (it carries the user's SID) and reaches Task
  ; Scheduler through its COM interface. As with the Run value below, it goes only when it starts
  ; this install's kestrune.exe (names compared as Windows compares them): a task another copy
  ; wrote last stays, with the \Kestrune folder that holds it. Nothing stops the uninstall when
  ; that fails (Task Scheduler not running).
  ExecWait '"$INSTDIR\kestrune.exe" /removetask'
  Delete "$INSTDIR\kestrune.exe"
  Delete "$INSTDIR\lame_enc.dll"
  Delete "$INSTDIR\User Guide.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\LAME-LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Kestrune.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The start at log-on goes only when it is this install's; with it goes Explorer's Startup apps
  ; record, which described only it. Another copy's entry and record stay.
  !insertmacro RunValueNamesInstalled $0
  ${If} $0 = 1
    DeleteRegValue HKCU "${RUN_KEY}" "Kestrune"
    DeleteRegValue HKCU "${STARTUP_APPROVED_KEY}" "Kestrune"
  ${EndIf}
SectionEnd
