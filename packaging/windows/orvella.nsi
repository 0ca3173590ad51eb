; The Windows installer of Orvella: the desktop program orvella.exe, its
; demonstration on simulated drives orvella-demo.exe, orvella-cli.exe and
; orvella-certificate.exe in the programs folder, their Start-menu entries,
; an uninstaller, and the entry of "Apps & features". Built by makensis with
; VERSION, GUI_EXE, DEMO_EXE, CLI_EXE, CERTIFICATE_EXE (the programs) and
; OUTFILE defined on its command line;
; /S installs and uninstalls silently.
Target amd64-unicode
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvella"
!define MENU_FOLDER "$SMPROGRAMS\Orvella"

Name "Orvella ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Orvella"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Orvella"
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "/oname=orvella.exe" "${GUI_EXE}"
  File "/oname=orvella-demo.exe" "${DEMO_EXE}"
  File "/oname=orvella-cli.exe" "${CLI_EXE}"
  File "/oname=orvella-certificate.exe" "${CERTIFICATE_EXE}"
  ; The Start menu of all users, as the programs folder is theirs too.
  SetShellVarContext all
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Orvella.lnk" "$INSTDIR\orvella.exe"
  CreateShortcut "${MENU_FOLDER}\Orvella demo.lnk" "$INSTDIR\orvella-demo.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orvella"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvella.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  Delete "${MENU_FOLDER}\Orvella.lnk"
  Delete "${MENU_FOLDER}\Orvella demo.lnk"
  RMDir "${MENU_FOLDER}"
  Delete "$INSTDIR\orvella.exe"
  Delete "$INSTDIR\orvella-demo.exe"
  Delete "$INSTDIR\orvella-cli.exe"
  Delete "$INSTDIR\orvella-certificate.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
