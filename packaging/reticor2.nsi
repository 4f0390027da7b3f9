; Reticor2 installer: per user, no administrator rights.
;
; Built by scripts/package:
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DWIN64_EXE=... -DWIN32_EXE=... -DOUTFILE=... reticor2.nsi
; Optional -DTARGET=amd64-unicode builds the same installer as a 64-bit program
; (for machines whose Wine runs 64-bit programs only); the release one is x86.
; Optional -DSIGN=command signs the uninstaller before it is packed inside and
; the installer once written: the command gets the file to sign in place.
;
; Silent use: setup.exe /S [/AUTOSTART]   uninstall: Uninstall.exe /S

!ifdef TARGET
  Target ${TARGET}
!endif
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif
Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

!define PRODUCT "Reticor2"
!define PUBLISHER "Reticor2"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Reticor2"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_ROOT "Software\VB and VBA Program Settings"
; The running program's start-up window and its popup menu's exit command (종료),
; which saves the display settings, removes the icon and ends the process.
!define STARTUP_WINDOW_CLASS "frm_Pop"
!define EXIT_COMMAND 6
!define EXIT_WAIT_MS 20000
!define SYNCHRONIZE 0x00100000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Reticor2"
BrandingText "${PRODUCT} ${VERSION}"
; One page: the components and 설치, the default button; once the files are in
; place the program starts and the installer closes by itself.
AutoCloseWindow true
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!define MUI_COMPONENTSPAGE_TEXT_TOP "$(WhatInstallDoes)"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES

!insertmacro MUI_UNPAGE_CONFIRM
UninstPage custom un.SettingsPage un.SettingsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used where the system's is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"

LangString WhatInstallDoes ${LANG_KOREAN} "설치하면 Reticor2가 바로 시작되고 알림 영역에 아이콘이 나타납니다."
LangString WhatInstallDoes ${LANG_ENGLISH} "Reticor2 starts as soon as it is installed, and its icon appears in the notification area."
LangString AutostartSection ${LANG_KOREAN} "Windows에 로그인할 때 시작"
LangString AutostartSection ${LANG_ENGLISH} "Start when I sign in to Windows"
LangString ClosingRunning ${LANG_KOREAN} "실행 중인 Reticor2에 종료를 요청합니다..."
LangString ClosingRunning ${LANG_ENGLISH} "Asking the running Reticor2 to exit..."
LangString StillRunning ${LANG_KOREAN} "Reticor2가 아직 실행 중입니다.$\r$\n알림 영역 아이콘의 메뉴에서 '종료'를 고른 다음 '다시 시도'를 누르십시오."
LangString StillRunning ${LANG_ENGLISH} "Reticor2 is still running.$\r$\nChoose '종료' (Exit) in the menu of its notification-area icon, then press Retry."
LangString StartingAgain ${LANG_KOREAN} "Reticor2를 다시 시작합니다."
LangString StartingAgain ${LANG_ENGLISH} "Starting Reticor2 again."
LangString SettingsTitle ${LANG_KOREAN} "설정"
LangString SettingsTitle ${LANG_ENGLISH} "Settings"
LangString SettingsSubtitle ${LANG_KOREAN} "십자선과 기계보정 설정을 남길지 고르십시오."
LangString SettingsSubtitle ${LANG_ENGLISH} "Choose whether to keep the crosshair and machine-correction settings."
LangString SettingsWhere ${LANG_KOREAN} "Reticor2의 설정(십자선의 색상, 크기, 위치, 기계보정 값)은 이 사용자의 레지스트리 키 두 곳에 있습니다:$\r$\n$\r$\n    HKEY_CURRENT_USER\${SETTINGS_ROOT}\Dizodudoz$\r$\n    HKEY_CURRENT_USER\${SETTINGS_ROOT}\기계보정$\r$\n$\r$\n남겨 두면 다시 설치했을 때 십자선이 그대로 돌아옵니다."
LangString SettingsWhere ${LANG_ENGLISH} "Reticor2 keeps its settings (the crosshair's colour, sizes and position, the machine correction) in two registry keys of this user:$\r$\n$\r$\n    HKEY_CURRENT_USER\${SETTINGS_ROOT}\Dizodudoz$\r$\n    HKEY_CURRENT_USER\${SETTINGS_ROOT}\기계보정$\r$\n$\r$\nKept, they bring the crosshair back as it was after a new installation."
LangString SettingsRemove ${LANG_KOREAN} "설정도 지우기"
LangString SettingsRemove ${LANG_ENGLISH} "Remove the settings too"

Var WasRunning       ; 1: a copy ran before the files were replaced
Var RemoveSettingsBox
Var RemoveSettings   ; 1: the uninstaller removes the two settings keys

; Asks a running copy to exit through its own exit command and waits until its
; process has ended; never ends it by force, which would lose its display
; settings. If it does not end, the user may retry; silent runs give up (abort).
!macro DEFINE_CLOSE_RUNNING_COPY PREFIX
Function ${PREFIX}CloseRunningCopy
  StrCpy $WasRunning 0
  retry:
    FindWindow $0 "${STARTUP_WINDOW_CLASS}"
    ${If} $0 = 0
      Return
    ${EndIf}
    StrCpy $WasRunning 1
    DetailPrint "$(ClosingRunning)"
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1) i'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
    System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${EXIT_COMMAND}, p 0) i'
    ${If} $2 != 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i ${EXIT_WAIT_MS}) i .r3'
      System::Call 'kernel32::CloseHandle(p r2)'
      ${IfThen} $3 = 0 ${|} Return ${|}
    ${Else}
      ; Without a handle on its process: wait for its window to go instead.
      StrCpy $4 0
      ${DoWhile} $4 < 200
        Sleep 100
        FindWindow $0 "${STARTUP_WINDOW_CLASS}"
        ${IfThen} $0 = 0 ${|} Return ${|}
        IntOp $4 $4 + 1
      ${Loop}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY retry
    Abort
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING_COPY ""
!insertmacro DEFINE_CLOSE_RUNNING_COPY "un."

Section "Reticor2" SectionProgram
  SectionIn RO
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "/oname=Reticor2.exe" "${WIN64_EXE}"
  ${Else}
    File "/oname=Reticor2.exe" "${WIN32_EXE}"
  ${EndIf}
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Reticor2.lnk" "$INSTDIR\Reticor2.exe" "" "$INSTDIR\Reticor2.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Reticor2.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "$(AutostartSection)" SectionAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Reticor2" '"$INSTDIR\Reticor2.exe"'
SectionEnd

; The program starts: always after an interactive install, and after a silent
; one when a copy ran before (an upgrade); a silent first install leaves that to
; whoever ran it.
Section "-Start"
  ${IfNot} ${SectionIsSelected} ${SectionAutostart}
    DeleteRegValue HKCU "${RUN_KEY}" "Reticor2"
  ${EndIf}
  ${If} $WasRunning = 1
    DetailPrint "$(StartingAgain)"
    Exec '"$INSTDIR\Reticor2.exe"'
  ${ElseIfNot} ${Silent}
    Exec '"$INSTDIR\Reticor2.exe"'
  ${EndIf}
SectionEnd

Function .onInit
  ; An earlier choice to start at sign-in stays the default (also for /S).
  ReadRegStr $0 HKCU "${RUN_KEY}" "Reticor2"
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/AUTOSTART" $2
  ${If} $0 != ""
  ${OrIfNot} ${Errors}
    !insertmacro SelectSection ${SectionAutostart}
  ${EndIf}
FunctionEnd

Function un.onInit
  StrCpy $RemoveSettings 0
FunctionEnd

Function un.SettingsPage
  !insertmacro MUI_HEADER_TEXT "$(SettingsTitle)" "$(SettingsSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 80u "$(SettingsWhere)"
  Pop $0
  ${NSD_CreateCheckbox} 0 88u 100% 12u "$(SettingsRemove)"
  Pop $RemoveSettingsBox
  nsDialogs::Show
FunctionEnd

Function un.SettingsPageLeave
  ${NSD_GetState} $RemoveSettingsBox $RemoveSettings
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningCopy
  Delete "$INSTDIR\Reticor2.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Reticor2.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "Reticor2"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${If} $RemoveSettings = ${BST_CHECKED}
    DeleteRegKey HKCU "${SETTINGS_ROOT}\Dizodudoz"
    DeleteRegKey HKCU "${SETTINGS_ROOT}\기계보정"
    DeleteRegKey /ifempty HKCU "${SETTINGS_ROOT}"
  ${EndIf}
SectionEnd
