; The Windows installer: both programs inside, the 64-bit one installed on 64-bit Windows
; and the 32-bit one elsewhere, under Program Files, with a Start-menu shortcut and an entry
; in Add/Remove Programs whose uninstaller takes everything away again. /S installs and
; uninstalls without a window.
;   makensis -DVERSION=1.0.0 -DEXE64=<64-bit vrtqlx.exe> -DEXE32=<32-bit vrtqlx.exe>
;            -DICON=<vrtqlx.ico> -DOUTFILE=<setup.exe> installer.nsi
Unicode true
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "VORTANE QLX Firmware Downloader"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vrtqlx"
!define SHORTCUTS "$SMPROGRAMS\VORTANE"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
InstallDir "$PROGRAMFILES\VORTANE\vrtqlx"
ShowInstDetails nevershow
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "VORTANE"
VIAddVersionKey /LANG=1033 "LegalCopyright" "VORTANE"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetShellVarContext all
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $INSTDIR "$PROGRAMFILES64\VORTANE\vrtqlx"
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "/oname=vrtqlx.exe" "${EXE64}"
  ${Else}
    File "/oname=vrtqlx.exe" "${EXE32}"
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "${SHORTCUTS}"
  CreateShortcut "${SHORTCUTS}\${PRODUCT}.lnk" "$INSTDIR\vrtqlx.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "VORTANE"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vrtqlx.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\vrtqlx.exe"
  ; A log written beside the program (by a run with the right to write there) goes too.
  Delete "$INSTDIR\_VRT_QLX.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."
  Delete "${SHORTCUTS}\${PRODUCT}.lnk"
  RMDir "${SHORTCUTS}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
