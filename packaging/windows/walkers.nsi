; walkers' installer, for the current user and without administrator
; rights: the program under the user's local programs folder, a Start-menu
; shortcut, optionally a start at sign-in (the user's Run key), an entry in
; the list of installed programs (the user's Uninstall key) and the
; uninstaller. /S installs or uninstalls silently. make_release_files.sh
; builds it with FILES (the gathered files), OUTFILE, VERSION, COPYRIGHT and
; ICON defined.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\walkers"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define PUBLISHER "The walkers developers"

Name "walkers"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\walkers"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" InstallLocation
BrandingText "walkers ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "walkers"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileDescription "walkers ${VERSION} setup"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 LegalCopyright "${COPYRIGHT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; Started, walkers' own window is in front, and the figures wait for another.
!define MUI_FINISHPAGE_TEXT "The figures walk on the title bar of the window in front: after starting walkers, click another window to see them. Click a figure to end them."
!define MUI_FINISHPAGE_RUN "$INSTDIR\walkers.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start walkers"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends every running walkers the way a click on a figure does: the close
; message to its window (class WalkersForm, title Form1), after which it
; unloads its forms and ends. It is never killed. The message is posted, as
; the click's is, rather than sent: a walkers of 1.0.0 handles a sent close
; but goes on waiting for its next message with no window left. Then waits
; for its process to let go of the program's file, and removes that.
!macro CLOSE_WALKERS un
Function ${un}CloseWalkers
    StrCpy $R0 0
    ${Do}
        FindWindow $0 "WalkersForm" "Form1"
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        DetailPrint "Ending the walkers that runs"
        System::Call 'user32::PostMessage(p r0, i ${WM_CLOSE}, p 0, p 0)'
        Sleep 100
        IntOp $R0 $R0 + 1
    ${LoopUntil} $R0 >= 100
    StrCpy $R0 0
    ${Do}
        ClearErrors
        Delete "$INSTDIR\walkers.exe"
        ${IfNot} ${Errors}
            ${Break}
        ${EndIf}
        Sleep 100
        IntOp $R0 $R0 + 1
    ${LoopUntil} $R0 >= 100
FunctionEnd
!macroend
!insertmacro CLOSE_WALKERS ""
!insertmacro CLOSE_WALKERS "un."

Section "walkers" program
    SectionIn RO
    SetOutPath "$INSTDIR"
    Call CloseWalkers
    File "${FILES}\walkers.exe"
    File "${FILES}\LICENSE.txt"
    File "${FILES}\README.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\walkers.lnk" "$INSTDIR\walkers.exe"
    ; The next section puts it back when chosen.
    DeleteRegValue HKCU "${RUN_KEY}" "walkers"

    WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayName "walkers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\walkers.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" NoModify 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" NoRepair 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" EstimatedSize $0
SectionEnd

Section "Start walkers when I sign in" sign_in
    WriteRegStr HKCU "${RUN_KEY}" "walkers" '"$INSTDIR\walkers.exe"'
SectionEnd

Section "Uninstall"
    Call un.CloseWalkers
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\walkers.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "walkers"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
