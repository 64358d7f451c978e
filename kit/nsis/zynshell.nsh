; zynshell.nsh: calls of zynshell.dll for NSIS installers (x86-ansi,
; x86-unicode and amd64-unicode), through the System plug-in.
;
; Usage:
;   !include "zynshell.nsh"
;   ${ZynLoad} "$INSTDIR\zynshell.dll" $0        ; module handle, 0 on failure
;   ${ZynPMInit} 0 $1                            ; program manager, 0 on failure
;   ${ZynCreateFolder} $1 "Apps\Tools" ${ZYN_FOLDER_PROGRAMS} $2 $3
;   ...
;   ${ZynPMUninit} $1 $3
;   ${ZynUnload} $0
;
; Load the DLL with ${ZynLoad} before any other call. The calls then reach
; it by its module name, so it may live in any folder: a System::Call whose
; module path holds parentheses ("C:\Program Files (x86)\...") cannot be
; written, and that is why no call here names a path. An amd64-unicode
; installer needs the 64-bit zynshell.dll; the x86 targets the 32-bit one.
;
; Every call takes its inputs as given (strings pass unchanged, converted to
; the system code page, as the DLL expects) and writes its outputs to the
; variables the caller names. Calls on a program manager end with two
; outputs: the result (1/0, or a handle that is 0 on failure) and ERROR,
; the code of ZynPMGetLastError after a failure (0 after a success); the
; codes are those of zynshell.h. Registers are kept: the macros save $0-$9
; and $R0-$R9 around their work.

!ifndef ZYNSHELL_NSH
!define ZYNSHELL_NSH
!include LogicLib.nsh

; Folder types (zynshell.h).
!define ZYN_FOLDER_DESKTOP 1
!define ZYN_FOLDER_PROGRAMS 2
!define ZYN_FOLDER_STARTUP 3
!define ZYN_FOLDER_COMMON 0x80000000
!define ZYN_FOLDER_OPEN 0x40000000
!define ZYN_FOLDER_DESKTOP_LINK 0x08000000
!define ZYN_FOLDER_PROGRAMS_LINK 0x04000000
; Item flags.
!define ZYN_ITEM_ARGUMENTS 0x01
!define ZYN_ITEM_NAME 0x02
!define ZYN_ITEM_ICON 0x04
!define ZYN_ITEM_ICON_INDEX 0x08
!define ZYN_ITEM_POSITION 0x10
!define ZYN_ITEM_WORKDIR 0x20
!define ZYN_ITEM_MINIMIZE 0x40
; Error codes of ZynPMGetLastError.
!define ZYN_ERR_NONE 0
!define ZYN_ERR_NO_CONVERSATION 1
!define ZYN_ERR_GLOBAL_MEMORY 3
!define ZYN_ERR_DDE_FAILED 4
!define ZYN_ERR_EMPTY_NAME 7
!define ZYN_ERR_EMPTY_GROUP 8
!define ZYN_ERR_BUFFER_TOO_SMALL 10
!define ZYN_ERR_BAD_SHOW_COMMAND 11
!define ZYN_ERR_LINK_ON_DDE 12
!define ZYN_ERR_BAD_ITEM_NAME 13
!define ZYN_ERR_UNSAFE_COMMAND 14
!define ZYN_ERR_NOT_SAVED 15
!define ZYN_ERR_NOT_DELETED 16
!define ZYN_ERR_NO_DIRECTORY 17

; Internal: the call's result is in $0 and the program manager in $9; the
; error code is asked for only after a failure. Pushes both through the
; register restore to the caller's variables.
!macro _ZynEnd _RESULT _ERROR
  StrCpy $1 0
  ${If} $0 == 0
    System::Call 'zynshell::ZynPMGetLastError(p r9) i .r1'
  ${EndIf}
  Push $0
  Push $1
  System::Store "l"
  Pop ${_ERROR}
  Pop ${_RESULT}
!macroend

; ${ZynLoad} PATH $HMODULE: loads zynshell.dll by its full path.
!macro ZynLoadCall _PATH _HMODULE
  Push `${_PATH}`
  System::Store "s"
  Pop $1
  System::Call 'kernel32::LoadLibrary(t r1) p .r0'
  Push $0
  System::Store "l"
  Pop ${_HMODULE}
!macroend
!define ZynLoad `!insertmacro ZynLoadCall`

; ${ZynUnload} HMODULE: after the last call (ZynPMUninit).
!macro ZynUnloadCall _HMODULE
  Push `${_HMODULE}`
  System::Store "s"
  Pop $1
  System::Call 'kernel32::FreeLibrary(p r1)'
  System::Store "l"
!macroend
!define ZynUnload `!insertmacro ZynUnloadCall`

; ${ZynPMInit} FORCEDDE $PM
!macro ZynPMInitCall _FORCEDDE _PM
  Push `${_FORCEDDE}`
  System::Store "s"
  Pop $1
  System::Call 'zynshell::ZynPMInit(i r1) p .r0'
  Push $0
  System::Store "l"
  Pop ${_PM}
!macroend
!define ZynPMInit `!insertmacro ZynPMInitCall`

; ${ZynPMUninit} PM $RESULT
!macro ZynPMUninitCall _PM _RESULT
  Push `${_PM}`
  System::Store "s"
  Pop $9
  System::Call 'zynshell::ZynPMUninit(p r9) i .r0'
  Push $0
  System::Store "l"
  Pop ${_RESULT}
!macroend
!define ZynPMUninit `!insertmacro ZynPMUninitCall`

; ${ZynPMGetLastError} PM $CODE
!macro ZynPMGetLastErrorCall _PM _CODE
  Push `${_PM}`
  System::Store "s"
  Pop $9
  System::Call 'zynshell::ZynPMGetLastError(p r9) i .r0'
  Push $0
  System::Store "l"
  Pop ${_CODE}
!macroend
!define ZynPMGetLastError `!insertmacro ZynPMGetLastErrorCall`

; ${ZynPMReadInfo} PM $LINE $RESULT $ERROR: the next line of the last
; listing. RESULT is 0 when the text is used up, or with ERROR 10 when the
; line did not fit in NSIS_MAX_STRLEN - 1 characters (it is skipped).
!macro ZynPMReadInfoCall _PM _LINE _RESULT _ERROR
  Push `${_PM}`
  System::Store "s"
  Pop $9
  System::Alloc ${NSIS_MAX_STRLEN}
  Pop $2
  System::Call 'zynshell::ZynPMReadInfo(p r9, p r2, i ${NSIS_MAX_STRLEN}) i .r0'
  StrCpy $1 0
  StrCpy $3 ""
  ${If} $0 == 0
    System::Call 'zynshell::ZynPMGetLastError(p r9) i .r1'
  ${Else}
    System::Call '*$2(&m${NSIS_MAX_STRLEN} .r3)'
  ${EndIf}
  System::Free $2
  Push $3
  Push $0
  Push $1
  System::Store "l"
  Pop ${_ERROR}
  Pop ${_RESULT}
  Pop ${_LINE}
!macroend
!define ZynPMReadInfo `!insertmacro ZynPMReadInfoCall`

; Folder handles: FOLDER is 0 on failure. NAME may be "ShellPath|GroupName".
; ${ZynGetFolderHandle} PM NAME TYPE $FOLDER $ERROR
!macro ZynGetFolderHandleCall _PM _NAME _TYPE _FOLDER _ERROR
  Push `${_TYPE}`
  Push `${_NAME}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  Pop $3
  System::Call 'zynshell::ZynGetFolderHandle(p r9, m r2, i r3) p .r0'
  !insertmacro _ZynEnd ${_FOLDER} ${_ERROR}
!macroend
!define ZynGetFolderHandle `!insertmacro ZynGetFolderHandleCall`
; ${ZynCreateFolder} PM NAME TYPE $FOLDER $ERROR
!macro ZynCreateFolderCall _PM _NAME _TYPE _FOLDER _ERROR
  Push `${_TYPE}`
  Push `${_NAME}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  Pop $3
  System::Call 'zynshell::ZynCreateFolder(p r9, m r2, i r3) p .r0'
  !insertmacro _ZynEnd ${_FOLDER} ${_ERROR}
!macroend
!define ZynCreateFolder `!insertmacro ZynCreateFolderCall`
; ${ZynCreateFolderEx} PM NAME TYPE ICONPATH ICONINDEX $FOLDER $ERROR
!macro ZynCreateFolderExCall _PM _NAME _TYPE _ICONPATH _ICONINDEX _FOLDER _ERROR
  Push `${_ICONINDEX}`
  Push `${_ICONPATH}`
  Push `${_TYPE}`
  Push `${_NAME}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  Pop $3
  Pop $4
  Pop $5
  System::Call 'zynshell::ZynCreateFolderEx(p r9, m r2, i r3, m r4, i r5) p .r0'
  !insertmacro _ZynEnd ${_FOLDER} ${_ERROR}
!macroend
!define ZynCreateFolderEx `!insertmacro ZynCreateFolderExCall`
; ${ZynDeleteFolder} PM FOLDER $RESULT $ERROR
!macro ZynDeleteFolderCall _PM _FOLDER _RESULT _ERROR
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  System::Call 'zynshell::ZynDeleteFolder(p r9, p r2) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynDeleteFolder `!insertmacro ZynDeleteFolderCall`
; ${ZynUpdateFolder} PM FOLDER $RESULT $ERROR
!macro ZynUpdateFolderCall _PM _FOLDER _RESULT _ERROR
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  System::Call 'zynshell::ZynUpdateFolder(p r9, p r2) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynUpdateFolder `!insertmacro ZynUpdateFolderCall`
; ${ZynShowFolder} PM FOLDER SHOWCMD $RESULT $ERROR
!macro ZynShowFolderCall _PM _FOLDER _SHOWCMD _RESULT _ERROR
  Push `${_SHOWCMD}`
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  Pop $3
  System::Call 'zynshell::ZynShowFolder(p r9, p r2, i r3) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynShowFolder `!insertmacro ZynShowFolderCall`
; Listings: on success read the lines with ${ZynPMReadInfo}.
; ${ZynListSubFolders} PM FOLDER $RESULT $ERROR
!macro ZynListSubFoldersCall _PM _FOLDER _RESULT _ERROR
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  System::Call 'zynshell::ZynListSubFolders(p r9, p r2) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynListSubFolders `!insertmacro ZynListSubFoldersCall`
; ${ZynListFolderItems} PM FOLDER $RESULT $ERROR
!macro ZynListFolderItemsCall _PM _FOLDER _RESULT _ERROR
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  System::Call 'zynshell::ZynListFolderItems(p r9, p r2) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynListFolderItems `!insertmacro ZynListFolderItemsCall`
; ${ZynAddItem} PM FOLDER FLAGS COMMAND ARGUMENTS NAME ICONPATH ICONINDEX X Y WORKDIR HOTKEY MINIMIZE $RESULT $ERROR
!macro ZynAddItemCall _PM _FOLDER _FLAGS _COMMAND _ARGUMENTS _NAME _ICONPATH _ICONINDEX _X _Y _WORKDIR _HOTKEY _MINIMIZE _RESULT _ERROR
  Push `${_MINIMIZE}`
  Push `${_HOTKEY}`
  Push `${_WORKDIR}`
  Push `${_Y}`
  Push `${_X}`
  Push `${_ICONINDEX}`
  Push `${_ICONPATH}`
  Push `${_NAME}`
  Push `${_ARGUMENTS}`
  Push `${_COMMAND}`
  Push `${_FLAGS}`
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  Pop $3
  Pop $4
  Pop $5
  Pop $6
  Pop $7
  Pop $8
  Pop $R0
  Pop $R1
  Pop $R2
  Pop $R3
  Pop $R4
  System::Call 'zynshell::ZynAddItem(p r9, p r2, i r3, m r4, m r5, m r6, m r7, i r8, i R0, i R1, m R2, i R3, i R4) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynAddItem `!insertmacro ZynAddItemCall`
; ${ZynAddItemEx} PM FOLDER ITEM $RESULT $ERROR: ITEM from ${ZynItemNew}.
!macro ZynAddItemExCall _PM _FOLDER _ITEM _RESULT _ERROR
  Push `${_ITEM}`
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  Pop $3
  System::Call 'zynshell::ZynAddItemEx(p r9, p r2, p r3) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynAddItemEx `!insertmacro ZynAddItemExCall`
; ${ZynDeleteItem} PM FOLDER ITEMNAME $RESULT $ERROR
!macro ZynDeleteItemCall _PM _FOLDER _ITEMNAME _RESULT _ERROR
  Push `${_ITEMNAME}`
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  Pop $3
  System::Call 'zynshell::ZynDeleteItem(p r9, p r2, m r3) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynDeleteItem `!insertmacro ZynDeleteItemCall`
; ${ZynReplaceItem} PM FOLDER ITEMNAME $RESULT $ERROR
!macro ZynReplaceItemCall _PM _FOLDER _ITEMNAME _RESULT _ERROR
  Push `${_ITEMNAME}`
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  Pop $3
  System::Call 'zynshell::ZynReplaceItem(p r9, p r2, m r3) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynReplaceItem `!insertmacro ZynReplaceItemCall`
; ${ZynAddLinkToFolder} PM FOLDER TYPE ICONPATH ICONINDEX $RESULT $ERROR
!macro ZynAddLinkToFolderCall _PM _FOLDER _TYPE _ICONPATH _ICONINDEX _RESULT _ERROR
  Push `${_ICONINDEX}`
  Push `${_ICONPATH}`
  Push `${_TYPE}`
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  Pop $3
  Pop $4
  Pop $5
  System::Call 'zynshell::ZynAddLinkToFolder(p r9, p r2, i r3, m r4, i r5) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynAddLinkToFolder `!insertmacro ZynAddLinkToFolderCall`
; ${ZynDeleteLinkToFolder} PM FOLDER TYPE $RESULT $ERROR
!macro ZynDeleteLinkToFolderCall _PM _FOLDER _TYPE _RESULT _ERROR
  Push `${_TYPE}`
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  Pop $3
  System::Call 'zynshell::ZynDeleteLinkToFolder(p r9, p r2, i r3) i .r0'
  !insertmacro _ZynEnd ${_RESULT} ${_ERROR}
!macroend
!define ZynDeleteLinkToFolder `!insertmacro ZynDeleteLinkToFolderCall`
; ${ZynReleaseFolder} PM FOLDER: ends the handle; the folder stays.
!macro ZynReleaseFolderCall _PM _FOLDER
  Push `${_FOLDER}`
  Push `${_PM}`
  System::Store "s"
  Pop $9
  Pop $2
  System::Call 'zynshell::ZynReleaseFolder(p r9, p r2)'
  System::Store "l"
!macroend
!define ZynReleaseFolder `!insertmacro ZynReleaseFolderCall`

; ${ZynItemNew} FLAGS COMMAND ARGUMENTS NAME ICONPATH ICONINDEX X Y WORKDIR
;   HOTKEY MINIMIZE $ITEM: a ZynProgramItem record for ${ZynAddItemEx}, laid
; out for the installer's pointer size (44 bytes for x86, 72 for amd64),
; with its own copies of the strings. Free it with ${ZynItemFree}.
!macro ZynItemNewCall _FLAGS _COMMAND _ARGUMENTS _NAME _ICONPATH _ICONINDEX _X _Y _WORKDIR _HOTKEY _MINIMIZE _ITEM
  Push `${_MINIMIZE}`
  Push `${_HOTKEY}`
  Push `${_WORKDIR}`
  Push `${_Y}`
  Push `${_X}`
  Push `${_ICONINDEX}`
  Push `${_ICONPATH}`
  Push `${_NAME}`
  Push `${_ARGUMENTS}`
  Push `${_COMMAND}`
  Push `${_FLAGS}`
  System::Store "s"
  Pop $0
  Pop $1
  Pop $2
  Pop $3
  Pop $4
  Pop $5
  Pop $6
  Pop $7
  Pop $8
  Pop $9
  Pop $R0
  System::Call '*(&m${NSIS_MAX_STRLEN} r1) p .r1'
  System::Call '*(&m${NSIS_MAX_STRLEN} r2) p .r2'
  System::Call '*(&m${NSIS_MAX_STRLEN} r3) p .r3'
  System::Call '*(&m${NSIS_MAX_STRLEN} r4) p .r4'
  System::Call '*(&m${NSIS_MAX_STRLEN} r8) p .r8'
  ; The padding is written out so that the offsets hold however the
  ; plug-in aligns: pointers at 8, 16, 24, 32 and 56 on amd64.
  !if ${NSIS_PTR_SIZE} > 4
    System::Call '*(i r0, i 0, p r1, p r2, p r3, p r4, i r5, i r6, i r7, i 0, p r8, i r9, i R0) p .r0'
  !else
    System::Call '*(i r0, p r1, p r2, p r3, p r4, i r5, i r6, i r7, p r8, i r9, i R0) p .r0'
  !endif
  Push $0
  System::Store "l"
  Pop ${_ITEM}
!macroend
!define ZynItemNew `!insertmacro ZynItemNewCall`

; ${ZynItemFree} ITEM: frees a record of ${ZynItemNew} and its strings.
!macro ZynItemFreeCall _ITEM
  Push `${_ITEM}`
  System::Store "s"
  Pop $0
  !if ${NSIS_PTR_SIZE} > 4
    System::Call '*$0(i .r9, i .r9, p .r1, p .r2, p .r3, p .r4, i .r9, i .r9, i .r9, i .r9, p .r8)'
  !else
    System::Call '*$0(i .r9, p .r1, p .r2, p .r3, p .r4, i .r9, i .r9, i .r9, p .r8)'
  !endif
  System::Free $1
  System::Free $2
  System::Free $3
  System::Free $4
  System::Free $8
  System::Free $0
  System::Store "l"
!macroend
!define ZynItemFree `!insertmacro ZynItemFreeCall`

!endif ; ZYNSHELL_NSH
