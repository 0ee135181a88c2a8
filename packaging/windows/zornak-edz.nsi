; The Windows setup program of ZORNAK_edz, in Polish (scripts/package-windows.sh):
;   makensis -DVERSION=5.02 -DSTAGE=<files> -DLISTS=<folder> -DOUTFILE=<setup.exe>
;            -DSIZE_KB=<size> zornak-edz.nsi
; STAGE holds the files to install (windeployqt's layout); LISTS holds install-files.nsh
; and uninstall-files.nsh, made from them: the uninstaller removes exactly what was
; installed, never a folder the user chose with other files in it. /S installs and
; uninstalls silently.
; A 64-bit setup for 64-bit programs (and a Wine without its 32-bit half).
Target amd64-unicode
!include "MUI2.nsh"

!define PRODUCT "ZORNAK_edz"
!define PUBLISHER "Zespół projektu ZORNAK_edz"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZORNAK_edz"
!define UNINSTALLER "odinstaluj.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "Software\${PRODUCT}" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1045 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1045 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1045 "FileDescription" "Instalator programu ${PRODUCT}"
VIAddVersionKey /LANG=1045 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1045 "LegalCopyright" "© ${PUBLISHER}"

!define MUI_ICON "${STAGE}\zornak-edz.ico"
!define MUI_UNICON "${STAGE}\zornak-edz.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\zornak_edz.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Uruchom ${PRODUCT}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\licencja.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "${PRODUCT}" SectionProgram
  SectionIn RO
  SetShellVarContext all
  !include "${LISTS}\install-files.nsh"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "Software\${PRODUCT}" "InstallDir" "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\zornak_edz.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Przewodnik.lnk" "$INSTDIR\przewodnik.txt"
  ; The example stays read-only in the program's folder; the program works in a copy of it
  ; in the user's Documents.
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Otwórz przykład.lnk" "$INSTDIR\zornak_edz.exe" "--przyklad"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Odinstaluj ${PRODUCT}.lnk" "$INSTDIR\${UNINSTALLER}"
  ; Programs and Features
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zornak_edz.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section /o "Skrót na pulpicie" SectionDesktop
  SetShellVarContext all
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\zornak_edz.exe"
SectionEnd

LangString DESC_PROGRAM ${LANG_POLISH} "Program okienkowy, program wsadowy, zornak_plot, zornak_transpkt, przewodnik, folder przykładu i biblioteki Qt."
LangString DESC_DESKTOP ${LANG_POLISH} "Skrót do programu ${PRODUCT} na pulpicie."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionProgram} $(DESC_PROGRAM)
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionDesktop} $(DESC_DESKTOP)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
  SetShellVarContext all
  !include "${LISTS}\uninstall-files.nsh"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Przewodnik.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Otwórz przykład.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Odinstaluj ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\${PRODUCT}"
  ; The user's settings go only when asked (a silent uninstall keeps them, as for an update).
  MessageBox MB_YESNO|MB_ICONQUESTION "Usunąć także ustawienia programu ${PRODUCT} (ostatnie foldery, położenia okien, wykonawcę)?" /SD IDNO IDNO keep
  DeleteRegKey HKCU "Software\${PRODUCT}"
  keep:
SectionEnd
