; The Windows installer of Vexa_Сhart: per user, without administrator
; rights; the two programs, a Start-menu entry, an uninstaller, and the
; window under Explorer's "Open with" for .csv exports.
;   makensis -DVERSION=1.0.0 -DBUILD=<build/windows> -DSOURCE=<sources> -DOUTFILE=<setup.exe>
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define PRODUCT "Vexa_Сhart"
!define KEY "Vexa_Chart"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEY}"
!define PROGID "VexaChart.csv"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${KEY}"
InstallDirRegKey HKCU "Software\${KEY}" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1049 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка ${PRODUCT}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "CompanyName" "Vexa_Chart Project"
VIAddVersionKey /LANG=1049 "LegalCopyright" "Vexa_Chart Project"

!define MUI_ICON "${SOURCE}\resources\vexa-chart.ico"
!define MUI_UNICON "${SOURCE}\resources\vexa-chart.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vexa-chart.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Section "Vexa_Сhart"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${BUILD}\src\app\win32\vexa-chart.exe"
  File "${BUILD}\src\vexa-chart-report.exe"
  File "/oname=README.txt" "${BUILD}\packages\README.txt"
  SetOutPath "$INSTDIR\examples"
  File "${SOURCE}\examples\*.csv"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\${KEY}" "InstallDir" "$INSTDIR"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\vexa-chart.exe" "" "$INSTDIR\vexa-chart.exe" 0

  ; Explorer's "Open with" for .csv files.
  WriteRegStr HKCU "Software\Classes\Applications\vexa-chart.exe" "FriendlyAppName" "${PRODUCT}"
  WriteRegStr HKCU "Software\Classes\Applications\vexa-chart.exe\SupportedTypes" ".csv" ""
  WriteRegStr HKCU "Software\Classes\Applications\vexa-chart.exe\shell\open\command" "" '"$INSTDIR\vexa-chart.exe" "%1"'
  WriteRegStr HKCU "Software\Classes\${PROGID}" "" "Выгрузка Vexa (CSV)"
  WriteRegStr HKCU "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\vexa-chart.exe,0"
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\vexa-chart.exe" "%1"'
  WriteRegStr HKCU "Software\Classes\.csv\OpenWithProgids" "${PROGID}" ""
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  ; Programs and Features.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Vexa_Chart Project"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vexa-chart.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\vexa-chart.exe"
  Delete "$INSTDIR\vexa-chart-report.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\examples\*.csv"
  RMDir "$INSTDIR\examples"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "Software\Classes\Applications\vexa-chart.exe"
  DeleteRegKey HKCU "Software\Classes\${PROGID}"
  DeleteRegValue HKCU "Software\Classes\.csv\OpenWithProgids" "${PROGID}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "Software\${KEY}" "InstallDir"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
