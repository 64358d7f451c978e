/* zynshell.h: the interface of zynshell.dll for C and C++ callers.
 *
 * zynshell maintains program groups and their items, either through Program
 * Manager (DDE) or directly on the Start-menu folders and .lnk shortcuts of
 * the newer Windows shell. The library picks the way once, in ZynPMInit; the
 * caller never needs to know which one serves it.
 *
 * Calling order: ZynPMInit; folder handles from ZynGetFolderHandle,
 * ZynCreateFolder or ZynCreateFolderEx, operations on them, each handle ended
 * by ZynReleaseFolder or ZynDeleteFolder; after a listing call, ZynPMReadInfo
 * until it returns 0; ZynPMGetLastError after any failed call; ZynPMUninit
 * last. Every call for one program manager comes from the thread that
 * created it. Strings are zero-terminated 8-bit strings of the system code
 * page. Results of 1/0 mean success/failure.
 *
 * Link with zynshell.lib (or load zynshell.dll and look the names up: the
 * exports are __stdcall with undecorated names).
 */
#ifndef ZYNSHELL_H
#define ZYNSHELL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define ZYNAPI __stdcall
#else
#define ZYNAPI
#endif

/* Opaque handles. A folder handle belongs to the program manager that made
 * it and is used only with it. Getting the same folder twice (same name and
 * type) gives the same handle, which is released once. A handle that was
 * released, or never came from the library (or, for a folder, from this
 * program manager), is refused: the call returns 0 or null and changes
 * nothing. */
typedef struct ZynProgramManager_* ZYNPM;
typedef struct ZynProgramFolder_* ZYNFOLDER;

/* Folder type value: a root selector in the low byte, plus option bits. */
#define ZYN_FOLDER_DESKTOP 1          /* the Desktop (shell only) */
#define ZYN_FOLDER_PROGRAMS 2         /* a program group under Programs */
#define ZYN_FOLDER_STARTUP 3          /* the StartUp group */
#define ZYN_FOLDER_ROOT_MASK 0x000000FF
#define ZYN_FOLDER_COMMON ((int32_t)0x80000000u) /* all-users folder; Windows NT only */
#define ZYN_FOLDER_OPEN 0x40000000         /* show the folder when it is created or met */
#define ZYN_FOLDER_DESKTOP_LINK 0x08000000 /* also put a shortcut to it on the Desktop */
#define ZYN_FOLDER_PROGRAMS_LINK 0x04000000 /* ... or in Programs (desktop link bit clear) */

/* Flag bits of ZynProgramItem.flags: which fields are given. */
#define ZYN_ITEM_ARGUMENTS 0x01
#define ZYN_ITEM_NAME 0x02
#define ZYN_ITEM_ICON 0x04       /* icon path; the shell backend takes the index with it */
#define ZYN_ITEM_ICON_INDEX 0x08 /* icon index (Program Manager) */
#define ZYN_ITEM_POSITION 0x10   /* x and y; also makes the hotkey count */
#define ZYN_ITEM_WORKDIR 0x20    /* working directory; also makes the hotkey count */
#define ZYN_ITEM_MINIMIZE 0x40

/* One program item. The layout is binary interface. On 32-bit Windows it is
 * 44 bytes, every field in a 32-bit slot. On 64-bit Windows it is 72 bytes:
 * the strings are 8-byte pointers at offsets 8, 16, 24, 32 and 56, the
 * integers stay 32-bit (flags 0, iconIndex 40, x 44, y 48, hotkey 64,
 * minimize 68), with 4 bytes of padding after flags and after y. The strings
 * stay the caller's. */
typedef struct ZynProgramItem {
    uint32_t flags;
    const char* command;          /* always: the program or file the item starts */
    const char* arguments;
    const char* name;
    const char* iconPath;
    int32_t iconIndex;
    int32_t x;
    int32_t y;
    const char* workingDirectory;
    uint32_t hotkey;              /* low 16 bits: virtual key (low byte), modifiers (high byte) */
    int32_t minimize;             /* nonzero: start minimized */
} ZynProgramItem;

#if defined(_WIN64)
#define ZYN_PROGRAM_ITEM_SIZE 72
#elif defined(_WIN32)
#define ZYN_PROGRAM_ITEM_SIZE 44
#endif
#if defined(ZYN_PROGRAM_ITEM_SIZE)
#if defined(__cplusplus)
static_assert(sizeof(ZynProgramItem) == ZYN_PROGRAM_ITEM_SIZE, "ZynProgramItem is binary interface");
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
_Static_assert(sizeof(ZynProgramItem) == ZYN_PROGRAM_ITEM_SIZE, "ZynProgramItem is binary interface");
#endif
#endif

/* Codes of ZynPMGetLastError. Successful calls never reset the code. */
#define ZYN_ERR_NONE 0
#define ZYN_ERR_NO_CONVERSATION 1  /* no Program Manager answered the request */
#define ZYN_ERR_GLOBAL_MEMORY 3    /* memory for a DDE command could not be had */
#define ZYN_ERR_DDE_FAILED 4       /* a DDE message could not be posted, or was refused */
#define ZYN_ERR_EMPTY_NAME 7       /* an empty item name (or request item) */
#define ZYN_ERR_EMPTY_GROUP 8      /* an empty group name */
#define ZYN_ERR_BUFFER_TOO_SMALL 10 /* ZynPMReadInfo: the line did not fit; it is skipped */
#define ZYN_ERR_BAD_SHOW_COMMAND 11 /* a show command outside 1 to 8 */
#define ZYN_ERR_LINK_ON_DDE 12     /* folder shortcuts need the shell, not Program Manager */
#define ZYN_ERR_BAD_ITEM_NAME 13   /* no shortcut file name or path can be formed for the item */
/* Program Manager refused before anything was sent: a string holds a double
 * quote, the command or arguments (unquoted) hold a comma, parenthesis or
 * square bracket, or the command would be longer than 1023 characters. */
#define ZYN_ERR_UNSAFE_COMMAND 14
#define ZYN_ERR_NOT_SAVED 15       /* the shortcut file could not be written: the folder's directory
                                    * is gone, a read-only shortcut of that name is in the way, or
                                    * the name is taken by a directory */
#define ZYN_ERR_NOT_DELETED 16     /* the item's shortcut exists but could not be deleted (read-only) */
#define ZYN_ERR_NO_DIRECTORY 17    /* the folder's directory is gone, or could not be made */
/* A folder name (the part the backend uses) or an item name has a part,
 * between backslashes or slashes, that is "." or ".." or otherwise made of
 * dots and blanks only ("...", ".. "): such a name could reach outside the
 * Start menu. Refused before anything is touched. "My App..." is fine. */
#define ZYN_ERR_DOT_NAME_PART 18

/* The program manager. forceDde nonzero asks for Program Manager (DDE) on
 * every platform. Null when no backend could be set up. */
ZYNPM ZYNAPI ZynPMInit(int forceDde);
/* Destroys the object and any folder handles still open on it; nonzero. */
int ZYNAPI ZynPMUninit(ZYNPM pm);
int ZYNAPI ZynPMGetLastError(ZYNPM pm);
/* Copies the next line of the last listing into buffer (without CR LF) and
 * returns 1; 0 when the text is used up, or when the line does not fit
 * (error 10, the line is skipped). Lines longer than 511 characters come in
 * pieces of 511. */
int ZYNAPI ZynPMReadInfo(ZYNPM pm, char* buffer, int bufferSize);

/* Folder names may carry a name per backend: "ShellPath|GroupName". The
 * shell path may hold backslashes (nested folders). A null name is the root
 * folder of the type (shell only). */
ZYNFOLDER ZYNAPI ZynGetFolderHandle(ZYNPM pm, const char* name, int32_t type);
/* ZynCreateFolder(Ex): null, with error 17, when the Start-menu directory
 * could not be made (a file of that name in the way, no right to write).
 * All three: null, with error 18, for a name with a part "." or ".." (or
 * of dots and blanks only). */
ZYNFOLDER ZYNAPI ZynCreateFolder(ZYNPM pm, const char* name, int32_t type);
ZYNFOLDER ZYNAPI ZynCreateFolderEx(ZYNPM pm, const char* name, int32_t type,
                                   const char* iconPath, int iconIndex);
/* Deletes the folder and everything in it; the handle is gone either way.
 * A link inside it (a directory or file symbolic link, a junction) is
 * removed as a link: what it points to is never touched. A Start-menu root
 * (the handle of a null or "" name) is never deleted: the result is then 0. */
int ZYNAPI ZynDeleteFolder(ZYNPM pm, ZYNFOLDER folder);
/* On a Start-menu folder whose directory is gone, updating, showing and
 * listing fail with error 17. */
int ZYNAPI ZynUpdateFolder(ZYNPM pm, ZYNFOLDER folder);
int ZYNAPI ZynShowFolder(ZYNPM pm, ZYNFOLDER folder, int showCmd);
/* Listings: on success read the lines with ZynPMReadInfo. */
int ZYNAPI ZynListSubFolders(ZYNPM pm, ZYNFOLDER folder);
int ZYNAPI ZynListFolderItems(ZYNPM pm, ZYNFOLDER folder);
/* 0 when no shortcut was written: error 13 (no file name can be formed),
 * 15 (the file could not be written) or 18 (the item's name has a part "."
 * or ".."). */
int ZYNAPI ZynAddItem(ZYNPM pm, ZYNFOLDER folder, uint32_t flags, const char* command,
                      const char* arguments, const char* name, const char* iconPath,
                      int32_t iconIndex, int32_t x, int32_t y, const char* workingDirectory,
                      uint32_t hotkey, int32_t minimize);
int ZYNAPI ZynAddItemEx(ZYNPM pm, ZYNFOLDER folder, const ZynProgramItem* item);
/* 1 also when there is no such item; 0 with error 16 when its shortcut
 * exists but cannot be deleted, 18 when the name has a part "." or "..".
 * ZynReplaceItem deletes the same way. */
int ZYNAPI ZynDeleteItem(ZYNPM pm, ZYNFOLDER folder, const char* itemName);
int ZYNAPI ZynReplaceItem(ZYNPM pm, ZYNFOLDER folder, const char* itemName);
/* Ends the handle; the folder stays. */
void ZYNAPI ZynReleaseFolder(ZYNPM pm, ZYNFOLDER folder);
/* A shortcut to the folder in the Desktop (type has ZYN_FOLDER_DESKTOP_LINK)
 * or Programs (ZYN_FOLDER_PROGRAMS_LINK) root; ZYN_FOLDER_COMMON picks the
 * all-users root. 0 without a link bit, and 0 with error 12 on Program
 * Manager. */
int ZYNAPI ZynAddLinkToFolder(ZYNPM pm, ZYNFOLDER folder, int32_t type,
                              const char* iconPath, int iconIndex);
int ZYNAPI ZynDeleteLinkToFolder(ZYNPM pm, ZYNFOLDER folder, int32_t type);

#ifdef __cplusplus
}
#endif

#endif /* ZYNSHELL_H */
