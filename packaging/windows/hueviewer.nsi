; The Windows installer: per user, no administrator prompt. Installs hueviewer.exe, hues.exe,
; README and LICENSE, a Start-menu shortcut and an entry in the list of installed programs;
; optionally adds the folder to the user's PATH so that `hues` runs from any prompt.
; Built by CMake, which passes VERSION, STAGE (the files to install) and OUTFILE.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "MUI2.nsh"

!define APP_NAME "Hue Viewer"
!define PUBLISHER "The hueviewer authors"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\HueViewer"
!define PATH_TOOL "hueviewer-path.exe"

Name "${APP_NAME}"
OutFile "${OUTFILE}"
; Updating an installed copy goes to the folder it was installed to.
InstallDir "$LOCALAPPDATA\Programs\${APP_NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APP_NAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${APP_NAME} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "MIT licence, ${PUBLISHER}"

!define MUI_ICON "${STAGE}\hueviewer.ico"
!define MUI_UNICON "${STAGE}\hueviewer.ico"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\hueviewer.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${APP_NAME}" SecProgram
    SectionIn RO
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}\hueviewer.exe"
    File "${STAGE}\hues.exe"
    File "${STAGE}\README.md"
    File "${STAGE}\LICENSE"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${APP_NAME}.lnk" "$INSTDIR\hueviewer.exe" "" \
        "$INSTDIR\hueviewer.exe" 0
    ; The hue editor in the browser, on the default hue file; its console window shows the
    ; address, and closing it (or Ctrl+C) stops the editor.
    CreateShortcut "$SMPROGRAMS\Hue Editor.lnk" "$INSTDIR\hues.exe" "edit" \
        "$INSTDIR\hueviewer.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\hueviewer.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; The PATH is edited by a small program of ours, never through this installer's strings:
; they hold 1,024 characters, and a PATH written back through them would be cut short.
Section /o "Add hues to my PATH" SecPath
    InitPluginsDir
    File "/oname=$PLUGINSDIR\${PATH_TOOL}" "${STAGE}\${PATH_TOOL}"
    ExecWait '"$PLUGINSDIR\${PATH_TOOL}" add "$INSTDIR"' $0
    ${If} $0 == 0
        WriteRegDWORD HKCU "${UNINSTALL_KEY}" "AddedToPath" 1
        DetailPrint "Added $INSTDIR to your PATH."
    ${ElseIf} $0 == 1
        DetailPrint "$INSTDIR is on your PATH already; it was left as it is."
    ${Else}
        DetailPrint "Could not add $INSTDIR to your PATH safely; your PATH was left as it is."
    ${EndIf}
SectionEnd

Function .onInit
    ; A silent install asks for the PATH entry with /AddToPath.
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AddToPath" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecPath}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "AddedToPath"
    ${If} $0 == 1
        InitPluginsDir
        ; Carried inside the uninstaller, so nothing of it stays in the folder.
        File "/oname=$PLUGINSDIR\${PATH_TOOL}" "${STAGE}\${PATH_TOOL}"
        ExecWait '"$PLUGINSDIR\${PATH_TOOL}" remove "$INSTDIR"' $1
        DetailPrint "Removed $INSTDIR from your PATH ($1)."
    ${EndIf}
    Delete "$INSTDIR\hueviewer.exe"
    Delete "$INSTDIR\hues.exe"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\LICENSE"
    Delete "$INSTDIR\uninstall.exe"
    Delete "$SMPROGRAMS\${APP_NAME}.lnk"
    Delete "$SMPROGRAMS\Hue Editor.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; Only when empty: a file the user saved here stays, and so does its folder.
    RMDir "$INSTDIR"
SectionEnd
