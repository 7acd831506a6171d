; The Windows installer of Vexa_Сhart: per user, without administrator
; rights; the two programs, a Start-menu entry, an uninstaller, and the
; window under Explorer's "Open with" for .csv exports.
;   makensis -DVERSION=1.0.0 -DBUILD=<build/windows> -DSOURCE=<sources> -DOUTFILE=<setup.exe>
;            -DUNINSTALLER=<uninstall.exe, made from uninstall.nsi>
!include "${SOURCE}\packaging\windows\common.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${KEY}"
InstallDirRegKey HKCU "Software\${KEY}" "InstallDir"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка ${PRODUCT}"

!define MUI_FINISHPAGE_RUN "$INSTDIR\vexa-chart.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "Russian"

; An uninstall that has just ended may still be removing its own file (see
; uninstall.nsi): the installer waits for it, up to ten seconds.
Function .onInit
  ${ForEach} $R0 1 100 + 1
    ${IfNot} ${FileExists} "$TEMP\vexa-chart-uninstall.cmd"
      ${Break}
    ${EndIf}
    Sleep 100
  ${Next}
FunctionEnd

Section "Vexa_Сhart"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${BUILD}\src\app\win32\vexa-chart.exe"
  File "${BUILD}\src\vexa-chart-report.exe"
  File "/oname=README.txt" "${BUILD}\packages\README.txt"
  SetOutPath "$INSTDIR\fonts"
  File "${FONTS}\LiberationSans-Regular.ttf"
  File "${FONTS}\LiberationSans-Bold.ttf"
  File "/oname=LiberationSans-LICENSE.txt" "${FONT_LICENCE}"
  SetOutPath "$INSTDIR\examples"
  File "${SOURCE}\examples\*.csv"
  SetOutPath "$INSTDIR"
  File "${UNINSTALLER}"
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
