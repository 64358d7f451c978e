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

namespace zynshell {

class ProgramFolder;

// Thrown by a backend constructor that cannot get what the object needs;
// caught only by ZynPMInit.
class ZynException {};

enum BackendKind : int32_t { kBackendDde = 0, kBackendShell = 1 };

// Folder type bits.
constexpr uint32_t kTypeRootMask = 0x000000FF;
constexpr uint32_t kRootDesktop = 1, kRootPrograms = 2, kRootStartup = 3;
constexpr uint32_t kTypeCommon = 0x80000000u;
constexpr uint32_t kTypeOpen = 0x40000000u;
constexpr uint32_t kTypeDesktopLink = 0x08000000u;
constexpr uint32_t kTypeProgramsLink = 0x04000000u;

// Error codes stored in lastError.
enum ErrorCode : int32_t {
    kErrNoConversation = 1,
    kErrGlobalMemory = 3,
    kErrDdeFailed = 4,
    kErrEmptyName = 7,
    kErrEmptyGroupName = 8,
    kErrNoInfo = 9,
    kErrBufferTooSmall = 10,
    kErrBadShowCommand = 11,
    kErrLinkOnDde = 12,
    kErrBadItemName = 13,  // an item whose shortcut file name or path cannot be formed
    kErrUnsafeCommand = 14,  // a Program Manager command refused before sending (progman_command.h)
    kErrNotSaved = 15,       // the shortcut file could not be written
    kErrNotDeleted = 16,     // a matching shortcut exists but could not be deleted
    kErrNoDirectory = 17,    // the folder's directory is gone or could not be made
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
