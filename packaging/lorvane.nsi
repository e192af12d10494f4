; The Windows installer: both programs into "C:\Program Files\Lorvane!",
; read-only for users, a Start-menu entry and the user's guide, and an
; uninstaller that removes the programs, the entries and the uninstalling
; user's work item "Lorvane"; asked to (or with /REMOVEDATA), it removes
; that user's settings, stored mail password and data as well.
; makensis -DBINARIES=<folder of the .exe files> -DOUTPUT=<setup file>
;          -DVERSION=<a.b.c.d> -DSOURCE=<the source tree> lorvane.nsi
; A 64-bit installer for the 64-bit programs: Program Files and the registry
; are the 64-bit ones natively, with no 32-bit view to redirect.
Target amd64-unicode
Name "Lorvane"
OutFile "${OUTPUT}"
InstallDir "$PROGRAMFILES64\Lorvane!"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Lorvane"
VIAddVersionKey "FileDescription" "Lorvane setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Lorvane developers"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lorvane"
!define GUIDE_NAME "User guide.html"

!define MUI_ICON "${SOURCE}\config\res\lorvane.ico"
!define MUI_UNICON "${SOURCE}\config\res\lorvane.ico"
!define MUI_WELCOMEPAGE_TEXT "Lorvane searches PubMed for you at the time you choose and mails you the articles that are new.$\r$\n$\r$\nThis installs Lorvane ${VERSION} for every user of this computer. Each user then chooses their own queries, address and schedule.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Lorvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Lorvane now to set up my alerts"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${GUIDE_NAME}"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the user's guide"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Lorvane"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${BINARIES}\Lorvane.exe"
  File "${BINARIES}\tessory.exe"
  File "/oname=${GUIDE_NAME}" "${BINARIES}\user-guide.html"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Lorvane.lnk" "$INSTDIR\Lorvane.exe"
  CreateShortCut "$SMPROGRAMS\Lorvane user guide.lnk" "$INSTDIR\${GUIDE_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Lorvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Lorvane developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "$INSTDIR\${GUIDE_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lorvane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The work item of the user who uninstalls goes. That user's own
  ; settings, password and data stay unless they ask for them to go.
  ${un.GetParameters} $R0
  ClearErrors
  ${un.GetOptions} $R0 "/REMOVEDATA" $R1
  IfErrors 0 remove_data
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Remove your Lorvane settings, the stored mail password and your Lorvane folder (citation files, scripts, log) as well?$\r$\n$\r$\nChoose No to keep them for a later installation. Other users' settings stay either way." \
    /SD IDNO IDYES remove_data
  ExecWait '"$INSTDIR\Lorvane.exe" --remove-schedule'
  Goto programs
remove_data:
  ExecWait '"$INSTDIR\Lorvane.exe" --remove-user-data'
programs:
  Delete "$SMPROGRAMS\Lorvane.lnk"
  Delete "$SMPROGRAMS\Lorvane user guide.lnk"
  Delete "$INSTDIR\Lorvane.exe"
  Delete "$INSTDIR\tessory.exe"
  Delete "$INSTDIR\${GUIDE_NAME}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
