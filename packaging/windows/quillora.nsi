; The Windows installer: quillora-<version>-setup.exe. Built by CMake with
;   makensis -DVERSION=1.0.0.1 -DOUTFILE=<setup.exe> -DCREATE_EXE=<quillora-create.exe>
;            [-DWINDOW_EXE=<quillora.exe>] -DICON=<quillora.ico> -DREADME=<README.md> quillora.nsi
; "/S" installs silently; the uninstaller takes "/S" too.

!define PRODUCT "Quillora"
!define PUBLISHER "Tessaline"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillora"

Unicode true
Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${ICON}"
UninstallIcon "${ICON}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "/oname=quillora-create.exe" "${CREATE_EXE}"
    File "/oname=README.txt" "${README}"
!ifdef WINDOW_EXE
    File "/oname=quillora.exe" "${WINDOW_EXE}"
!endif
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
!ifdef WINDOW_EXE
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\quillora.exe"
!endif
    ; quillora-create is a command for the command prompt: its shortcut opens one in the
    ; program's folder and shows the command's options.
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} command prompt.lnk" "$SYSDIR\cmd.exe" \
        '/k "$INSTDIR\quillora-create.exe" --help' "" "" SW_SHOWNORMAL "" "quillora-create in a command prompt"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
!ifdef WINDOW_EXE
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\quillora.exe",0'
!endif
SectionEnd

; The user's settings under HKEY_CURRENT_USER\Software\Tessaline\Quillora stay: they are the
; user's, and a later installation finds them again.
Section "Uninstall"
    SetShellVarContext all
    Delete "$INSTDIR\quillora.exe"
    Delete "$INSTDIR\quillora-create.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} command prompt.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
