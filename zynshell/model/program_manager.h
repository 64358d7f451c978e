// ProgramManager: the object ZynPMInit hands out. Abstract; the backends are
// DdeProgramManager (zynshell/dde) and ShellProgramManager (zynshell/shell).
// Holds the platform facts, the last error code, the 5120-byte info buffer
// that listings fill and ZynPMReadInfo hands out line by line, the six roots
// and the open-folder registry. It owns the buffer, the roots and every
// folder handle still registered when it ends.
//
// The folder calls of the library ask the backend through the virtual
// operations below wherever the two differ; the defaults are the rules of
// the Start-menu folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/folder_registry.h"
#include "zynshell.h"

namespace zynshell {

class ProgramFolder;

// Thrown by a backend constructor that cannot get what the object needs;
// caught only where the object is made.
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

inline uint32_t RootSelector(int32_t type) { return static_cast<uint32_t>(type) & kTypeRootMask; }
inline bool HasTypeBits(int32_t type, uint32_t bits) { return (static_cast<uint32_t>(type) & bits) != 0; }

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

// The six roots: the Start-menu directories of a user and of all users (the
// shell backend), or the StartUp group's name and the Programs directories
// (Program Manager).
enum RootIndex : int { kDesktopRoot, kProgramsRoot, kStartupRoot, kCommonDesktopRoot, kCommonProgramsRoot,
                       kCommonStartupRoot, kRootCount };

class ProgramManager {
public:
    virtual ~ProgramManager();
    ProgramManager(const ProgramManager&) = delete;
    ProgramManager& operator=(const ProgramManager&) = delete;

    virtual ProgramFolder* OpenFolder(const char* name, int32_t type, int create) = 0;
    virtual int FolderExists(const char* name, int32_t type) = 0;

    // The part of a caller's folder name this backend uses, found in place
    // in a writable copy (folder_name.h).
    virtual char* FolderNamePart(char* name) const;
    // The handle on an existing folder of that (parsed) name, or null.
    virtual ProgramFolder* GetFolder(const char* name, int32_t type);
    // The folder a creation without a name makes; null: the type's root.
    virtual const char* UnnamedFolder(int32_t type) const;
    // Whether creating a folder that exists shows it.
    virtual bool ShowsExistingFolder(int32_t type) const;
    // True (lastError set) when this backend keeps no shortcuts to folders.
    virtual bool RefusesLinks();
    // Lists the sub-folders of folder into the info text; 1/0.
    virtual int ListSubFolders(ProgramFolder* folder);

    // True, with lastError 19, for a name with a part of dots only
    // (folder_name.h), which is refused before anything is looked up or sent.
    bool RefusesName(const char* name);

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
    char* infoBuffer() const { return infoBuffer_.get(); }  // kInfoBufferSize bytes

    const char* root(RootIndex which) const { return roots_[which].get(); }
    // The root the type's root bits and common bit select, or null.
    const char* RootOf(int32_t type) const;
    const char* desktop() const { return root(kDesktopRoot); }
    const char* programs() const { return root(kProgramsRoot); }
    const char* startup() const { return root(kStartupRoot); }
    const char* commonDesktop() const { return root(kCommonDesktopRoot); }
    const char* commonPrograms() const { return root(kCommonProgramsRoot); }
    const char* commonStartup() const { return root(kCommonStartupRoot); }
    // Copies path into the root (null unsets it); false, the root unchanged,
    // when out of memory.
    bool SetRoot(RootIndex which, const char* path) noexcept;
    // Sets the root from a value of a Shell Folders key (platform.h); left
    // as it was when the value is not read.
    void ReadRoot(RootIndex which, const char* valueName, int machineWide, const char* keyPath);

    int32_t backendKind;
    int32_t ntFlag = 0;
    int32_t adminFlag = 0;
    int32_t platformKind = 0;
    int32_t lastError = 0;
    int32_t infoAvailable = 0;
    char* infoCursor = nullptr;  // into the info buffer

    FolderRegistry openFolders;

protected:
    // Throws std::bad_alloc when the info buffer cannot be had.
    ProgramManager(BackendKind kind, int32_t nt, int32_t kind_of_platform);

    std::unique_ptr<char[]> infoBuffer_;

private:
    bool CutBackInfo();
    bool AcceptInfo(size_t added);

    std::unique_ptr<char[]> roots_[kRootCount];
    size_t infoUsed_ = 0;
    size_t infoLineEnd_ = 0;  // just past the last CR LF appended
    bool infoFull_ = false;
};

}  // namespace zynshell
