// ProgramManager: the object ZynPMInit hands out. Abstract; the backends are
// DdeProgramManager (zynshell/dde) and ShellProgramManager (zynshell/shell).
// Holds the platform facts, the last error code, the 5120-byte info buffer
// that listings fill and ZynPMReadInfo hands out line by line, the six roots
// and the open-folder registry.
//
// Ownership: the info buffer and the six root strings are new[] blocks. The
// base destructor frees whatever is still set and destroys every folder
// handle still registered; a backend that frees one of them itself sets the
// pointer to null. The base constructor sets adminFlag for both backends
// (the administrator test lives with the shell backend; the DDE backend
// reads the answer).
#pragma once

#include <cstddef>
#include <cstdint>

#include "folder_registry.h"
#include "zynshell.h"

namespace zynshell {

class ProgramFolder;

// Thrown by a backend constructor that cannot get what the object needs;
// caught only by ZynPMInit.
class ZynException {};

enum BackendKind : int32_t { kBackendDde = 0, kBackendShell = 1 };

// Folder type bits, as callers spell them.
constexpr uint32_t kTypeRootMask = ZYN_FOLDER_ROOT_MASK;
constexpr uint32_t kRootDesktop = ZYN_FOLDER_DESKTOP, kRootPrograms = ZYN_FOLDER_PROGRAMS,
                   kRootStartup = ZYN_FOLDER_STARTUP;
constexpr uint32_t kTypeCommon = static_cast<uint32_t>(ZYN_FOLDER_COMMON);
constexpr uint32_t kTypeOpen = ZYN_FOLDER_OPEN;
constexpr uint32_t kTypeDesktopLink = ZYN_FOLDER_DESKTOP_LINK;
constexpr uint32_t kTypeProgramsLink = ZYN_FOLDER_PROGRAMS_LINK;

// Error codes stored in lastError: the public codes of ZynPMGetLastError,
// plus 9, which never reaches the caller.
enum ErrorCode : int32_t {
    kErrNoConversation = ZYN_ERR_NO_CONVERSATION,
    kErrGlobalMemory = ZYN_ERR_GLOBAL_MEMORY,
    kErrDdeFailed = ZYN_ERR_DDE_FAILED,
    kErrEmptyName = ZYN_ERR_EMPTY_NAME,
    kErrEmptyGroupName = ZYN_ERR_EMPTY_GROUP,
    kErrNoInfo = 9,
    kErrBufferTooSmall = ZYN_ERR_BUFFER_TOO_SMALL,
    kErrBadShowCommand = ZYN_ERR_BAD_SHOW_COMMAND,
    kErrLinkOnDde = ZYN_ERR_LINK_ON_DDE,
    kErrBadItemName = ZYN_ERR_BAD_ITEM_NAME,      // an item whose shortcut file name or path cannot be formed
    kErrUnsafeCommand = ZYN_ERR_UNSAFE_COMMAND,   // a Program Manager command refused before sending
    kErrNotSaved = ZYN_ERR_NOT_SAVED,             // the shortcut file could not be written
    kErrNotDeleted = ZYN_ERR_NOT_DELETED,         // a matching shortcut exists but could not be deleted
    kErrNoDirectory = ZYN_ERR_NO_DIRECTORY,       // the folder's directory is gone or could not be made
    kErrDotNamePart = ZYN_ERR_DOT_NAME_PART,      // a folder or item name with a part "." or ".."
};

constexpr int kInfoBufferSize = 5120;

class ProgramManager {
public:
    virtual ~ProgramManager();
    ProgramManager(const ProgramManager&) = delete;
    ProgramManager& operator=(const ProgramManager&) = delete;

    virtual ProgramFolder* OpenFolder(const char* name, int32_t type, int create) = 0;
    virtual int FolderExists(const char* name, int32_t type) = 0;

    // Hands out the next line of the info buffer (see ZynPMReadInfo).
    int ReadInfo(char* buffer, int bufferSize);
    // Start of the next line, or null (lastError 9) when no text is available.
    char* NextInfoLine();

    // Listings: start a new text, append lines, end it (marks it available).
    // Appending never writes past the buffer: a line that does not fit whole
    // is dropped and so is everything after it (info_text.cpp).
    // Lines end with CR LF. A text that fills the buffer is cut back to the
    // last whole line; later appends of the same listing are dropped.
    void BeginInfo();
    bool AppendInfo(const char* text);
    __attribute__((format(gnu_printf, 2, 3))) bool AppendInfoFormat(const char* fmt, ...);
    void EndInfo();

    int32_t backendKind;
    int32_t ntFlag = 0;
    int32_t adminFlag = 0;
    int32_t platformKind = 0;
    int32_t lastError = 0;
    int32_t infoAvailable = 0;
    char* infoBuffer = nullptr;  // kInfoBufferSize bytes
    char* infoCursor = nullptr;
    char* commonDesktop = nullptr;
    char* commonPrograms = nullptr;
    char* commonStartup = nullptr;
    char* startup = nullptr;
    char* programs = nullptr;
    char* desktop = nullptr;

    FolderRegistry openFolders;

protected:
    ProgramManager(BackendKind kind, int32_t nt, int32_t kind_of_platform);

private:
    bool CutBackInfo();
    bool AcceptInfo(size_t added);

    size_t infoUsed_ = 0;
    size_t infoLineEnd_ = 0;  // just past the last CR LF appended
    bool infoFull_ = false;
};

}  // namespace zynshell
