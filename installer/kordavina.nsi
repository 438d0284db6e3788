; The Windows installer of Kordavina, built on Debian with makensis by
; scripts/package-windows.sh from the deployed folder (cmake --install):
;
;   makensis -DVERSION=3.3.2 -DSOURCE=<deployed folder> -DFILES=<folder of the
;            generated file lists> -DOUTFILE=kordavina-3.3.2-setup.exe kordavina.nsi
;
; It installs into Program Files, adds a Start-menu shortcut, the .upl file
; type and an entry in "Programs and Features"; its uninstaller removes exactly
; those. The user's own files (%APPDATA%\Orvinel\Kordavina) and settings
; (HKEY_CURRENT_USER\Software\Orvinel\Kordavina) are the user's and stay.
; Silent: setup.exe /S, and uninstall.exe /S.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "Kordavina"
!define PROGID "Kordavina.Uplatnice"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kordavina"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "Orvinel"

!include "MUI2.nsh"
!define MUI_ICON "${SOURCE}\kordavina.ico"
!define MUI_UNICON "${SOURCE}\kordavina.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\kordavina.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Bosnian"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_BOSNIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_BOSNIAN} "CompanyName" "Orvinel"
VIAddVersionKey /LANG=${LANG_BOSNIAN} "FileDescription" "Instalacija programa ${PRODUCT}"
VIAddVersionKey /LANG=${LANG_BOSNIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_BOSNIAN} "LegalCopyright" "Orvinel"

Section "Kordavina"
  SetRegView 64
  SetShellVarContext all
  ; The program's files, listed one by one so that the uninstaller removes
  ; those and nothing a user put beside them.
  !include "${FILES}\install-files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\kordavina.exe" "" \
    "$INSTDIR\kordavina.ico" 0 SW_SHOWNORMAL "" "Popunjavanje, čuvanje i štampanje uplatnica"

  ; The slip file type: double-clicking a .upl file opens it in the program.
  WriteRegStr HKLM "Software\Classes\.upl" "" "${PROGID}"
  WriteRegStr HKLM "Software\Classes\.upl" "Content Type" "application/x-kordavina-upl"
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "Datoteka uplatnica"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\kordavina.ico,0"
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" \
    '"$INSTDIR\kordavina.exe" "%1"'

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "Orvinel"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\kordavina.ico"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ; Explorer shows the new file type's icon at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; .upl is given back only if it is still ours.
  ReadRegStr $0 HKLM "Software\Classes\.upl" ""
  StrCmp $0 "${PROGID}" 0 +2
    DeleteRegKey HKLM "Software\Classes\.upl"
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  DeleteRegKey HKLM "${UNINST_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  !include "${FILES}\uninstall-files.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
