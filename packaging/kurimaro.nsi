; The per-user installer of both editions. packaging/make_installer.sh runs
; makensis on it with VERSION, BIN_DIR (the two programs), SOURCE_DIR (the
; repository) and OUT_FILE defined.

Unicode true
; The programs are 64-bit only, and Wine here runs 64-bit programs only.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all
; Installed files get the time of installation, so the installer carries no
; build-time dates and two builds of one commit are the same bytes.
SetDateSave off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kurimaro"

Name "Kurimaro ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\Kurimaro"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
BrandingText "Kurimaro ${VERSION}"

!define MUI_ICON "${SOURCE_DIR}/resources/generated/window.ico"
!define MUI_UNICON "${SOURCE_DIR}/resources/generated/window.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(StartNow)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartFromInstallFolder

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used where the system's is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString ProgramsSection ${LANG_ENGLISH} "Kurimaro and KurimaroLite"
LangString ProgramsSection ${LANG_JAPANESE} "Kurimaro と KurimaroLite"
LangString StartupSection ${LANG_ENGLISH} "Start Kurimaro with Windows"
LangString StartupSection ${LANG_JAPANESE} "Windows の起動時に Kurimaro を開始"
LangString StartNow ${LANG_ENGLISH} "Start Kurimaro now"
LangString StartNow ${LANG_JAPANESE} "Kurimaro を今すぐ起動"
LangString StillRunning ${LANG_ENGLISH} "Kurimaro or KurimaroLite is running.$\r$\nEnd it with Exit in its menu, then choose Retry."
LangString StillRunning ${LANG_JAPANESE} "Kurimaro または KurimaroLite が起動しています。$\r$\nメニューの「終了」で終わらせてから「再試行」を選んでください。"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Kurimaro"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Kurimaro ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) 2026 the Kurimaro authors"

; A running program holds its files open and would write its settings over
; the folder at exit; both editions hold the mutex named Kurimaro.
!macro WAIT_UNTIL_NOT_RUNNING
  retry_running:
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Kurimaro") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY retry_running
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

Section "$(ProgramsSection)" SecPrograms
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}/Kurimaro.exe"
  File "${BIN_DIR}/KurimaroLite.exe"
  File "/oname=LICENSE.txt" "${SOURCE_DIR}/LICENSE"
  ; A sample alarm file only where the user has none yet.
  SetOverwrite off
  File "${SOURCE_DIR}/packaging/alerm.txt"
  SetOverwrite on

  ; Each shortcut starts in the install folder (SetOutPath sets its working
  ; directory), where the programs keep KurimaroConf.dat and read alerm.txt.
  CreateShortCut "$SMPROGRAMS\Kurimaro.lnk" "$INSTDIR\Kurimaro.exe"
  CreateShortCut "$SMPROGRAMS\KurimaroLite.lnk" "$INSTDIR\KurimaroLite.exe"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kurimaro"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "the Kurimaro authors"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kurimaro.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecPrograms} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "$(StartupSection)" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMSTARTUP\Kurimaro.lnk" "$INSTDIR\Kurimaro.exe"
SectionEnd

; The box shows the shortcut's present state; clearing it removes the shortcut.
Section "-StartupCleared"
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    Delete "$SMSTARTUP\Kurimaro.lnk"
  ${EndIf}
SectionEnd

Function .onInit
  !insertmacro WAIT_UNTIL_NOT_RUNNING
  ; /STARTUP ticks the start-with-Windows box, for silent installs.
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/STARTUP" $2
  ${IfNot} ${Errors}
  ${OrIf} ${FileExists} "$SMSTARTUP\Kurimaro.lnk"
    !insertmacro SelectSection ${SecStartup}
  ${EndIf}
FunctionEnd

Function StartFromInstallFolder
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\Kurimaro.exe"'
FunctionEnd

Section "Uninstall"
  Delete "$INSTDIR\Kurimaro.exe"
  Delete "$INSTDIR\KurimaroLite.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$SMPROGRAMS\Kurimaro.lnk"
  Delete "$SMPROGRAMS\KurimaroLite.lnk"
  Delete "$SMSTARTUP\Kurimaro.lnk"
  Delete "$SMSTARTUP\KurimaroLite.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  ; KurimaroConf.dat and alerm.txt are the user's: they stay, and the folder
  ; with them. Never a recursive delete: the folder may be one the user chose.
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  !insertmacro WAIT_UNTIL_NOT_RUNNING
FunctionEnd
