; The installer VelkaroSetup-<version>.exe: a per-user install, no administrator rights, into
; %LOCALAPPDATA%\Programs\Velkaro (the program keeps its files beside itself), a Start menu
; shortcut, an entry in "Apps" under HKCU, start with Windows, and an uninstaller.
;
; Built by CMake (target velkaro_setup), which gives the version and the files:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.4 -DVERSION_QUAD=1.4.0.0 -DEXE=.../velkaro.exe
;            -DHELP=.../help.mht -DICON=.../velkaro.ico -DOUTFILE=.../VelkaroSetup-1.4.exe setup.nsi
;
; An install never writes, replaces or deletes the program's data (history.txt, price.txt,
; limits.txt, history.htm, *.bak): it ships none of them. A running copy of the program in the
; install folder is asked to close first (it saves as at every exit) and waited for; after a
; silent install it is started again.
Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID /FINAL lzma

!ifndef VERSION | VERSION_QUAD | EXE | HELP | ICON | OUTFILE
  !error "setup.nsi needs VERSION, VERSION_QUAD, EXE, HELP, ICON and OUTFILE (see its head)"
!endif

!define PRODUCT "Velkaro"
!define PUBLISHER "Velkaro"
!define EXE_NAME "velkaro.exe"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\Velkaro.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velkaro"
; Start with Windows: the value the tray menu's item writes, with the same command.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Velkaro"
!define RUN_COMMAND '"$INSTDIR\${EXE_NAME}" /autostart'
; How long a running copy gets to save and end before the user is asked to close it.
!define CLOSE_WAIT_MS 20000

Name "${PRODUCT}"
Caption "Установка ${PRODUCT} ${VERSION}"
UninstallCaption "Удаление ${PRODUCT} ${VERSION}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1049 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1049 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION_QUAD}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

Var Autostart       ; ${BST_CHECKED} or ${BST_UNCHECKED}: the option "Запускать вместе с Windows"
Var AutostartBox
Var ProgramClosed   ; 1 when a running copy was closed for the install

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Velkaro считает сетевой трафик каждого адаптера по дням и то, сколько он стоит.$\r$\n$\r$\nПрограмма будет установлена для текущего пользователя, без прав администратора, в папку$\r$\n$INSTDIR$\r$\n$\r$\nЕсли Velkaro уже установлена, она обновится: запущенная программа сохранит данные и закроется, история трафика, цены и лимиты останутся на месте.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "&Запустить Velkaro"
!define MUI_FINISHPAGE_RUN_FUNCTION LaunchProgram
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Velkaro будет удалена из этой папки. Запущенная программа сохранит данные и закроется. Удалять ли историю трафика, цены и лимиты, будет спрошено отдельно."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Russian"

; ---- a running copy of the program ----
;
; The program's application window has the class "TApplication" (as has every program of its
; kind); the copies whose executable is the one in $INSTDIR get a close request (WM_CLOSE), on
; which the program closes its main form: it saves its files and ends. The title of the window
; is not compared, so that a copy of another version, whose title differs, is closed too.
; Sets $ProgramClosed to 1 when one was closed; ends the install (Abort) when the user gives up.
!macro CLOSE_RUNNING_PROGRAM PREFIX
Function ${PREFIX}CloseRunningProgram
  StrCpy $ProgramClosed 0
  IfFileExists "$INSTDIR\${EXE_NAME}" 0 done
  Push "$INSTDIR\${EXE_NAME}"
  Call ${PREFIX}LongPath
  Pop $R7
  StrCpy $R0 0
  next:
    System::Call 'user32::FindWindowExW(p 0, p R0, w "TApplication", p 0) p .R0'
    StrCmp $R0 0 done
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x00101000, i 0, i R1) p .R2'
    StrCmp $R2 0 next
    System::Call 'kernel32::QueryFullProcessImageNameW(p R2, i 0, w .R3, *i ${NSIS_MAX_STRLEN}) i .R4'
    ${If} $R4 <> 0
      Push $R3
      Call ${PREFIX}LongPath
      Pop $R3
    ${EndIf}
    ${If} $R4 = 0
    ${OrIf} $R3 != $R7  ; StrCmp: without regard to case, as Windows compares paths
      System::Call 'kernel32::CloseHandle(p R2)'
      Goto next
    ${EndIf}
    DetailPrint "Закрывается запущенная Velkaro..."
    close:
      System::Call 'user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0)'
      System::Call 'kernel32::WaitForSingleObject(p R2, i ${CLOSE_WAIT_MS}) i .R5'
      ${If} $R5 <> 0  ; not WAIT_OBJECT_0: still running
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Velkaro не закрылась.$\n$\nЗакройте её (пункт «Выход» в меню её значка) и нажмите «Повтор». «Отмена» прервёт работу: пока программа работает, её файлы заменить нельзя." /SD IDCANCEL IDRETRY close
        System::Call 'kernel32::CloseHandle(p R2)'
        DetailPrint "Velkaro не закрылась: прервано."
        Abort
      ${EndIf}
    System::Call 'kernel32::CloseHandle(p R2)'
    StrCpy $ProgramClosed 1
    StrCpy $R0 0  ; the windows changed: search again from the first
    Goto next
  done:
FunctionEnd

; The long form of a path (a path with short 8.3 parts compares equal to its long form); the
; path as it is when it has none.
Function ${PREFIX}LongPath
  Exch $0
  Push $1
  Push $2
  System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_PROGRAM ""
!insertmacro CLOSE_RUNNING_PROGRAM "un."

; ---- install ----

Function .onInit
  ; Start with Windows: on for a new install; an update keeps what the user chose (the value
  ; is there and starts this copy).
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == ""
  ${OrIf} $1 == '${RUN_COMMAND}'
    StrCpy $Autostart ${BST_CHECKED}
  ${Else}
    StrCpy $Autostart ${BST_UNCHECKED}
  ${EndIf}
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "Параметры" "Когда запускать Velkaro."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateCheckbox} 0 0 100% 12u "Запускать вместе с Windows"
  Pop $AutostartBox
  ${NSD_SetState} $AutostartBox $Autostart
  ${NSD_CreateLabel} 0 20u 100% 40u "Velkaro будет запускаться при входе в Windows и считать трафик с начала сеанса. Это можно изменить и позже: пункт «Запускать вместе с Windows» в меню значка программы."
  Pop $0
  nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
  ${NSD_GetState} $AutostartBox $Autostart
FunctionEnd

; The program in its folder: the working folder is where its files are.
Function LaunchProgram
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\${EXE_NAME}"'
FunctionEnd

!macro ADD_FILE_SIZE FILE
  ${GetSize} "$INSTDIR" "/M=${FILE} /S=0K /G=0" $1 $2 $3
  IntOp $0 $0 + $1
!macroend

Section "Velkaro"
  SetOutPath "$INSTDIR"
  Call CloseRunningProgram
  File "/oname=${EXE_NAME}" "${EXE}"
  File "/oname=help.mht" "${HELP}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The working folder of the shortcut is the output folder.
  SetOutPath "$INSTDIR"
  CreateShortCut "${SHORTCUT}" "$INSTDIR\${EXE_NAME}" "" "$INSTDIR\${EXE_NAME}" 0 SW_SHOWNORMAL "" "Учёт сетевого трафика и его стоимости"

  ${If} $Autostart == ${BST_CHECKED}
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '${RUN_COMMAND}'
  ${Else}
    ; Off: only a value that starts this copy goes; one of a copy elsewhere stays.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 == '${RUN_COMMAND}'
      DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE_NAME},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; The program's own files, in KB (its data is the user's and not counted).
  StrCpy $0 0
  !insertmacro ADD_FILE_SIZE "${EXE_NAME}"
  !insertmacro ADD_FILE_SIZE "help.mht"
  !insertmacro ADD_FILE_SIZE "${UNINSTALLER}"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; A silent update over a running copy leaves it running again.
Function .onInstSuccess
  ${If} ${Silent}
  ${AndIf} $ProgramClosed == 1
    Call LaunchProgram
  ${EndIf}
FunctionEnd

; ---- uninstall ----

Section "Uninstall"
  Call un.CloseRunningProgram

  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '${RUN_COMMAND}'
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\${EXE_NAME}"
  Delete "$INSTDIR\help.mht"
  Delete "$INSTDIR\${UNINSTALLER}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; The data stays unless the user says otherwise; a silent uninstall keeps it.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Удалить также историю трафика, цены и лимиты?$\n$\nЭто файлы history.txt, price.txt и limits.txt (и отчёт history.htm) в папке $INSTDIR. Если их оставить, новая установка Velkaro в эту папку продолжит с ними." /SD IDNO IDNO keep
    Delete "$INSTDIR\history.txt"
    Delete "$INSTDIR\price.txt"
    Delete "$INSTDIR\limits.txt"
    Delete "$INSTDIR\history.htm"
    Delete "$INSTDIR\history.bak"
    Delete "$INSTDIR\price.bak"
    Delete "$INSTDIR\limits.bak"
  keep:
  ; Only when nothing is left in it.
  RMDir "$INSTDIR"
SectionEnd
