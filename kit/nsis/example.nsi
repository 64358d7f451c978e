; example.nsi: an installer that uses zynshell.dll. It installs into a
; folder of the user's choice, makes the program group "Zyn Example\Tools"
; (on Program Manager: "Zyn Example Tools") with two items, one through the
; flat call and one through an item record, puts a shortcut to the group on
; the desktop where the Start menu serves, and lists what it made into
; items.txt. Its uninstaller removes all of it.
;
;   makensis -XTarget x86-unicode example.nsi     (32-bit zynshell.dll)
;   makensis -XTarget amd64-unicode example.nsi   (64-bit zynshell.dll)
;   -DZYNSHELL_DLL=PATH   the zynshell.dll to install (default: the kit's)
;   -DOUTFILE=PATH        the installer to write
;
; Installer options: /S (silent), /D=FOLDER (last), and /SIMPLE: items
; without arguments and a listing of groups instead of the group's items,
; for Program Manager servers that take nothing more (Wine's refuses both).
;
; A failed call stops the installation with a message naming the library's
; error code; the exit code is then 100 + that code (100 when zynshell.dll
; could not be loaded or set up).

!ifndef ZYNSHELL_DLL
  !define ZYNSHELL_DLL "..\zynshell.dll"
!endif
!ifndef OUTFILE
  !define OUTFILE "zyn-example-setup.exe"
!endif

!include LogicLib.nsh
!include FileFunc.nsh
!include "zynshell.nsh"

Name "Zyn Example"
OutFile "${OUTFILE}"
RequestExecutionLevel user
; Parentheses on purpose: the library is loaded by path, then called by name.
InstallDir "$LOCALAPPDATA\Zyn Example (sample)"
ShowInstDetails show
ShowUninstDetails show

!define GROUP "Zyn Example\Tools|Zyn Example Tools"
!define TOP "Zyn Example|Zyn Example Tools"

Var Module
Var PM
Var Folder
Var Result
Var Error
Var Simple

; Stops the installer when RESULT is 0, telling the user which call failed
; and the library's code.
!macro ZynExampleCheck _WHAT
  ${If} $Result == 0
    MessageBox MB_OK|MB_ICONSTOP "Could not ${_WHAT} (zynshell error $Error)." /SD IDOK
    DetailPrint "Could not ${_WHAT} (zynshell error $Error)."
    IntOp $Error $Error + 100
    SetErrorLevel $Error
    Abort
  ${EndIf}
!macroend
!define Check `!insertmacro ZynExampleCheck`

!macro ZynExampleOpen
  ${ZynLoad} "$INSTDIR\zynshell.dll" $Module
  ${ZynPMInit} 0 $PM
  ${If} $Module == 0
  ${OrIf} $PM == 0
    MessageBox MB_OK|MB_ICONSTOP "zynshell.dll could not be loaded or set up." /SD IDOK
    SetErrorLevel 100
    Abort
  ${EndIf}
!macroend

!macro ZynExampleClose
  ${ZynPMUninit} $PM $Result
  ${ZynUnload} $Module
!macroend

Section "Program group"
  SetOutPath "$INSTDIR"
  File "/oname=zynshell.dll" "${ZYNSHELL_DLL}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  FileOpen $0 "$INSTDIR\readme.txt" w
  FileWrite $0 "Installed by the zynshell example.$\r$\n"
  FileClose $0

  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/SIMPLE" $1
  ${If} ${Errors}
    StrCpy $Simple 0
  ${Else}
    StrCpy $Simple 1
  ${EndIf}

  !insertmacro ZynExampleOpen
  ${ZynCreateFolder} $PM "${GROUP}" ${ZYN_FOLDER_PROGRAMS} $Folder $Error
  StrCpy $Result $Folder
  ${Check} "make the program group"

  ; The flat call: Notepad opening the readme, with Ctrl+Alt+R.
  IntOp $0 ${ZYN_ITEM_NAME} | ${ZYN_ITEM_WORKDIR}
  ${If} $Simple == 0
    IntOp $0 $0 | ${ZYN_ITEM_ARGUMENTS}
  ${EndIf}
  ${ZynAddItem} $PM $Folder $0 "$WINDIR\notepad.exe" "readme.txt" "Example Readme" "" 0 0 0 \
    "$INSTDIR" 0x0652 0 $Result $Error
  ${Check} "add the item Example Readme"

  ; The record call: Notepad on its own, with Ctrl+Alt+E.
  IntOp $0 ${ZYN_ITEM_NAME} | ${ZYN_ITEM_WORKDIR}
  ${ZynItemNew} $0 "$WINDIR\notepad.exe" "" "Example Editor" "" 0 0 0 "$INSTDIR" 0x0645 0 $1
  ${ZynAddItemEx} $PM $Folder $1 $Result $Error
  ${ZynItemFree} $1
  ${Check} "add the item Example Editor"

  IntOp $0 ${ZYN_FOLDER_PROGRAMS} | ${ZYN_FOLDER_DESKTOP_LINK}
  ${ZynAddLinkToFolder} $PM $Folder $0 "" 0 $Result $Error
  ${If} $Error == ${ZYN_ERR_LINK_ON_DDE}
    DetailPrint "Program Manager has no desktop shortcuts to groups."
  ${Else}
    ${Check} "put a shortcut to the group on the desktop"
  ${EndIf}

  ${If} $Simple == 0
    ${ZynListFolderItems} $PM $Folder $Result $Error
  ${Else}
    ${ZynListSubFolders} $PM 0 $Result $Error
  ${EndIf}
  ${Check} "list the program group"
  FileOpen $2 "$INSTDIR\items.txt" w
  ${Do}
    ${ZynPMReadInfo} $PM $0 $Result $Error
    ${IfThen} $Result == 0 ${|} ${ExitDo} ${|}
    DetailPrint "Listed: $0"
    FileWrite $2 "$0$\r$\n"
  ${Loop}
  FileClose $2

  ${ZynReleaseFolder} $PM $Folder
  !insertmacro ZynExampleClose
SectionEnd

Section "Uninstall"
  !insertmacro ZynExampleOpen
  ${ZynGetFolderHandle} $PM "${GROUP}" ${ZYN_FOLDER_PROGRAMS} $Folder $Error
  ${If} $Folder != 0
    IntOp $0 ${ZYN_FOLDER_PROGRAMS} | ${ZYN_FOLDER_DESKTOP_LINK}
    ${ZynDeleteLinkToFolder} $PM $Folder $0 $Result $Error
    ${ZynReleaseFolder} $PM $Folder
  ${EndIf}
  ; The top folder goes with everything in it (on Program Manager, the group).
  ${ZynGetFolderHandle} $PM "${TOP}" ${ZYN_FOLDER_PROGRAMS} $Folder $Error
  ${If} $Folder != 0
    ${ZynDeleteFolder} $PM $Folder $Result $Error
    ${Check} "remove the program group"
  ${EndIf}
  !insertmacro ZynExampleClose

  Delete "$INSTDIR\items.txt"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\zynshell.dll"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
