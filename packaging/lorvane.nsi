; The Windows installer: both programs into "C:\Program Files\Lorvane!",
; read-only for users, a Start-menu entry, and an uninstaller that removes
; the programs, the entry and the uninstalling user's work item "Lorvane"
; and leaves every user's own data.
; makensis -DBINARIES=<folder of the .exe files> -DOUTPUT=<setup file> lorvane.nsi
Unicode true
Name "Lorvane"
OutFile "${OUTPUT}"
InstallDir "$PROGRAMFILES64\Lorvane!"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

VIProductVersion "1.0.0.1"
VIAddVersionKey "ProductName" "Lorvane"
VIAddVersionKey "FileDescription" "Lorvane setup"
VIAddVersionKey "FileVersion" "1.0.0.1"
VIAddVersionKey "ProductVersion" "1.0.0.1"
VIAddVersionKey "LegalCopyright" "Lorvane"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lorvane"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Lorvane"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${BINARIES}\Lorvane.exe"
  File "${BINARIES}\tessory.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Lorvane.lnk" "$INSTDIR\Lorvane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Lorvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.0.0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Lorvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lorvane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The work item of the user who uninstalls; the settings and the data
  ; folder stay.
  ExecWait '"$INSTDIR\Lorvane.exe" --remove-schedule'
  Delete "$SMPROGRAMS\Lorvane.lnk"
  Delete "$INSTDIR\Lorvane.exe"
  Delete "$INSTDIR\tessory.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
