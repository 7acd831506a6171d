; The uninstaller of Vexa_Сhart. It runs where it is installed and waits
; until it is done, so that its exit status says how it ended: 0 when all is
; removed, 2 when it was cancelled or a program of the package runs (a
; silent uninstall does not ask; it leaves everything in place). At its end
; it moves itself out of the folder, which it then removes.
;   makensis -DVERSION=1.0.0 -DSOURCE=<sources> -DOUTFILE=<uninstall.exe>
!include "${SOURCE}\packaging\windows\common.nsh"

Name "${PRODUCT}"
Caption "Удаление ${PRODUCT}"
OutFile "${OUTFILE}"
VIAddVersionKey /LANG=1049 "FileDescription" "Удаление ${PRODUCT}"
ShowInstDetails show

!define MUI_PAGE_HEADER_TEXT "Удаление ${PRODUCT}"
!define MUI_PAGE_HEADER_SUBTEXT "Подождите, идёт удаление ${PRODUCT} с компьютера."
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "Удаление завершено"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "${PRODUCT} удалена с компьютера."
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "Удаление прервано"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "${PRODUCT} удалена не полностью."
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

; Whether a program of the package runs: its file does not open for
; writing meanwhile. Leaves the running program's path in $R1, or "".
Function FindRunningProgram
  StrCpy $R1 ""
  ${ForEach} $R2 1 2 + 1
    ${If} $R2 == 1
      StrCpy $R3 "$INSTDIR\vexa-chart.exe"
    ${Else}
      StrCpy $R3 "$INSTDIR\vexa-chart-report.exe"
    ${EndIf}
    ${If} ${FileExists} $R3
      ClearErrors
      FileOpen $R0 $R3 a
      ${If} ${Errors}
        StrCpy $R1 $R3
      ${Else}
        FileClose $R0
      ${EndIf}
    ${EndIf}
  ${Next}
FunctionEnd

Function .onInit
  StrCpy $INSTDIR $EXEDIR
  ${IfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION "Удалить ${PRODUCT} с компьютера?" IDYES +3
    SetErrorLevel 2
    Quit
  ${EndIf}
  ${Do}
    Call FindRunningProgram
    ${If} $R1 == ""
      ${Break}
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel 2
      Quit
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Программа ${PRODUCT} запущена. Закройте её и нажмите «Повтор»; «Отмена» оставит программу установленной." IDRETRY +3
    SetErrorLevel 2
    Quit
  ${Loop}
FunctionEnd

Section "-Remove"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\vexa-chart.exe"
  Delete "$INSTDIR\vexa-chart-report.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\examples\*.csv"
  RMDir "$INSTDIR\examples"
  Delete "$INSTDIR\fonts\LiberationSans-Regular.ttf"
  Delete "$INSTDIR\fonts\LiberationSans-Bold.ttf"
  Delete "$INSTDIR\fonts\LiberationSans-LICENSE.txt"
  RMDir "$INSTDIR\fonts"
  DeleteRegKey HKCU "Software\Classes\Applications\vexa-chart.exe"
  DeleteRegKey HKCU "Software\Classes\${PROGID}"
  DeleteRegValue HKCU "Software\Classes\.csv\OpenWithProgids" "${PROGID}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "Software\${KEY}" "InstallDir"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  ; This file runs. Moved aside (Windows moves a running program's file,
  ; but does not delete it), it goes when Windows next starts, and the
  ; folder goes now. Where it cannot be moved, a hidden command processor
  ; removes it and the folder once this uninstaller has ended.
  SetOutPath $TEMP
  GetTempFileName $R0
  Delete $R0
  ClearErrors
  Rename "$EXEPATH" $R0
  ${If} ${Errors}
    StrCpy $R1 "$TEMP\vexa-chart-uninstall.cmd"
    FileOpen $R2 $R1 w
    FileWrite $R2 "@echo off$\r$\nset n=0$\r$\n:again$\r$\nping -n 2 127.0.0.1 >nul$\r$\n"
    FileWrite $R2 "del /f /q $\"%~1$\" >nul 2>&1$\r$\nset /a n+=1$\r$\n"
    FileWrite $R2 "if exist $\"%~1$\" if %n% lss 60 goto again$\r$\n"
    FileWrite $R2 "rmdir $\"%~2$\" >nul 2>&1$\r$\ndel $\"%~f0$\"$\r$\n"
    FileClose $R2
    ExecShell "open" "$SYSDIR\cmd.exe" '/c ""$R1" "$EXEPATH" "$INSTDIR""' SW_HIDE
  ${Else}
    Delete /REBOOTOK $R0
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd
