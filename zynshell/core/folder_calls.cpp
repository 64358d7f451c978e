// The folder operations of the library interface. Each one reaches the
// backend through the folder handle's virtual operations or the program
// manager's OpenFolder; the few paths that differ per backend test
// backendKind. Names are parsed on a private copy (ParseFolderName).
#include <cstring>
#include <memory>
#include <new>

#include "dde/dde_backend.h"
#include "folder_name.h"
#include "library_api.h"

namespace zynshell {

namespace {

constexpr int kLinkNameBufferSize = 520;
constexpr int kShowNormal = 1;

uint32_t RootSelector(int32_t type) { return static_cast<uint32_t>(type) & kTypeRootMask; }
bool HasBits(int32_t type, uint32_t bits) { return (static_cast<uint32_t>(type) & bits) != 0; }

// The common folders exist only on Windows NT.
bool CommonRefused(const ProgramManager& pm, int32_t type) {
    return HasBits(type, kTypeCommon) && !pm.ntFlag;
}

// A name the backend would use with a part of dots only is refused before
// anything is looked up or sent (folder_name.h).
bool RefusedName(ProgramManager& pm, const char* name) {
    if (!HasDotPart(name)) return false;
    pm.lastError = kErrDotNamePart;
    return true;
}

// An item's file name comes from its name only when the name is given; the
// base name taken from a command has no separators.
bool RefusedItem(ProgramManager& pm, const ProgramItem& item) {
    return (item.flags & kItemName) && RefusedName(pm, item.name);
}

std::unique_ptr<char[]> CopyName(const char* name) {
    if (!name) return nullptr;
    size_t cb = strlen(name) + 1;
    std::unique_ptr<char[]> copy(new char[cb]);
    memcpy(copy.get(), name, cb);
    return copy;
}

ProgramFolder* GetFolderHandleOrThrow(ProgramManager& pm, const char* name, int32_t type) {
    if (CommonRefused(pm, type)) return nullptr;
    std::unique_ptr<char[]> copy = CopyName(name);
    const char* parsed = copy ? ParseFolderName(static_cast<BackendKind>(pm.backendKind), copy.get()) : nullptr;
    if (pm.backendKind != kBackendDde) return RefusedName(pm, parsed) ? nullptr : pm.OpenFolder(parsed, type, 0);

    const uint32_t root = RootSelector(type);
    if (root != kRootPrograms && root != kRootStartup) return nullptr;
    if (root == kRootStartup) parsed = pm.startup;
    if (!parsed || RefusedName(pm, parsed)) return nullptr;
    if (ProgramFolder* open = pm.openFolders.Find(parsed, type, 1)) return open;
    return pm.OpenFolder(parsed, type, 0);
}

// The shortcut to a folder lives in the Desktop root when the type has the
// desktop link bit, else in the Programs root; it is named after the
// folder's last path component.
int ChangeFolderLink(ProgramManager& pm, ProgramFolder* folder, int32_t type, bool add,
                     const char* iconPath, int iconIndex) {
    if (!HasBits(type, kTypeDesktopLink | kTypeProgramsLink)) return 0;
    if (pm.backendKind == kBackendDde) {
        pm.lastError = kErrLinkOnDde;
        return 0;
    }
    if (!folder) return 0;
    const int32_t targetType = static_cast<int32_t>(
        (static_cast<uint32_t>(type) & kTypeCommon) |
        (HasBits(type, kTypeDesktopLink) ? kRootDesktop : kRootPrograms));
    ProgramFolder* root = GetFolderHandleOrThrow(pm, nullptr, targetType);
    if (!root) return 0;

    char fullName[kLinkNameBufferSize];
    if (folder->GetName(fullName, sizeof fullName) != 0) return 0;  // too long: refused
    const char* slash = strrchr(fullName, '\\');
    const char* linkName = slash ? slash + 1 : fullName;
    if (RefusedName(pm, linkName)) return 0;
    if (!add) return root->DeleteItem(pm, linkName);

    ProgramItem item{};
    item.flags = kItemName;
    item.command = fullName;
    item.arguments = "";
    item.name = linkName;
    item.iconPath = "";
    item.workingDirectory = "";
    if (iconPath) {
        item.flags = kItemName | kItemIcon | kItemIconIndex;
        item.iconPath = iconPath;
        item.iconIndex = iconIndex;
    }
    return root->AddItem(pm, item);
}

ProgramFolder* CreateFolderOrThrow(ProgramManager& pm, const char* name, int32_t type,
                                   const char* iconPath, int iconIndex) {
    if (CommonRefused(pm, type)) return nullptr;
    const bool dde = pm.backendKind == kBackendDde;
    if (!name) {
        if (!dde || RootSelector(type) != kRootStartup) {
            ProgramFolder* root = GetFolderHandleOrThrow(pm, nullptr, type);
            if (root && HasBits(type, kTypeOpen)) root->Show(pm, kShowNormal);
            return root;
        }
        name = pm.startup;
        if (!name) return nullptr;
    }
    std::unique_ptr<char[]> copy = CopyName(name);
    const char* parsed = ParseFolderName(static_cast<BackendKind>(pm.backendKind), copy.get());
    if (RefusedName(pm, parsed)) return nullptr;

    ProgramFolder* folder = GetFolderHandleOrThrow(pm, parsed, type);
    if (!folder) {
        folder = pm.OpenFolder(parsed, type, 1);
    } else if (dde || HasBits(type, kTypeOpen)) {
        folder->Show(pm, kShowNormal);
    }
    // The link goes to the handle just obtained: looking the caller's name up
    // again would find this same handle. It is asked for even without a
    // folder, so that Program Manager still answers a link with code 12.
    ChangeFolderLink(pm, folder, type, true, iconPath, iconIndex);
    return folder;
}

// The plain forwarders share one shape: a handle is needed, and nothing the
// backend throws gets out.
template <typename Op>
int Forward(ProgramManager* pm, ProgramFolder* folder, Op op) noexcept {
    if (!pm || !folder) return 0;
    try {
        return op(*pm, *folder);
    } catch (...) {
        return 0;
    }
}

}  // namespace

ProgramItem MakeProgramItem(uint32_t flags, const char* command, const char* arguments,
                            const char* name, const char* iconPath, int32_t iconIndex,
                            int32_t x, int32_t y, const char* workingDirectory,
                            uint32_t hotkey, int32_t minimize) noexcept {
    ProgramItem item{};
    item.flags = flags;
    item.command = command;
    item.arguments = arguments;
    item.name = name;
    item.iconPath = iconPath;
    item.iconIndex = iconIndex;
    item.x = x;
    item.y = y;
    item.workingDirectory = workingDirectory;
    item.hotkey = hotkey & 0xFFFF;
    item.minimize = minimize;
    return item;
}

ProgramFolder* GetFolderHandle(ProgramManager* pm, const char* name, int32_t type) noexcept {
    if (!pm) return nullptr;
    try {
        return GetFolderHandleOrThrow(*pm, name, type);
    } catch (...) {
        return nullptr;
    }
}

ProgramFolder* CreateFolderEx(ProgramManager* pm, const char* name, int32_t type,
                              const char* iconPath, int iconIndex) noexcept {
    if (!pm) return nullptr;
    try {
        return CreateFolderOrThrow(*pm, name, type, iconPath, iconIndex);
    } catch (...) {
        return nullptr;
    }
}

int DeleteFolder(ProgramManager* pm, ProgramFolder* folder) noexcept {
    if (!pm || !folder) return 0;
    int result = 0;
    try {
        result = folder->Delete(*pm);
    } catch (...) {
        result = 0;
    }
    // The handle ends whatever Delete gave.
    pm->openFolders.Remove(folder);
    delete folder;
    return result;
}

int UpdateFolder(ProgramManager* pm, ProgramFolder* folder) noexcept {
    return Forward(pm, folder, [](ProgramManager& m, ProgramFolder& f) { return f.Update(m); });
}

int ShowFolder(ProgramManager* pm, ProgramFolder* folder, int showCmd) noexcept {
    return Forward(pm, folder, [=](ProgramManager& m, ProgramFolder& f) { return f.Show(m, showCmd); });
}

int ListSubFolders(ProgramManager* pm, ProgramFolder* folder) noexcept {
    if (!pm) return 0;
    try {
        // Program Manager lists all its groups; no folder is needed.
        if (pm->backendKind == kBackendDde) return RequestDdeGroups(*pm);
    } catch (...) {
        return 0;
    }
    return Forward(pm, folder, [](ProgramManager& m, ProgramFolder& f) { return f.ListSubFolders(m); });
}

int ListFolderItems(ProgramManager* pm, ProgramFolder* folder) noexcept {
    return Forward(pm, folder, [](ProgramManager& m, ProgramFolder& f) { return f.ListItems(m); });
}

int AddItem(ProgramManager* pm, ProgramFolder* folder, const ProgramItem* item) noexcept {
    if (!item) return 0;
    return Forward(pm, folder, [=](ProgramManager& m, ProgramFolder& f) {
        return RefusedItem(m, *item) ? 0 : f.AddItem(m, *item);
    });
}

int DeleteItem(ProgramManager* pm, ProgramFolder* folder, const char* itemName) noexcept {
    return Forward(pm, folder, [=](ProgramManager& m, ProgramFolder& f) {
        return RefusedName(m, itemName) ? 0 : f.DeleteItem(m, itemName);
    });
}

int ReplaceItem(ProgramManager* pm, ProgramFolder* folder, const char* itemName) noexcept {
    return Forward(pm, folder, [=](ProgramManager& m, ProgramFolder& f) {
        return RefusedName(m, itemName) ? 0 : f.ReplaceItem(m, itemName);
    });
}

void ReleaseFolder(ProgramManager* pm, ProgramFolder* folder) noexcept {
    if (!pm || !folder) return;
    pm->openFolders.Remove(folder);
    delete folder;
}

int AddLinkToFolder(ProgramManager* pm, ProgramFolder* folder, int32_t type,
                    const char* iconPath, int iconIndex) noexcept {
    if (!pm) return 0;
    try {
        return ChangeFolderLink(*pm, folder, type, true, iconPath, iconIndex);
    } catch (...) {
        return 0;
    }
}

int DeleteLinkToFolder(ProgramManager* pm, ProgramFolder* folder, int32_t type) noexcept {
    if (!pm) return 0;
    try {
        return ChangeFolderLink(*pm, folder, type, false, nullptr, 0);
    } catch (...) {
        return 0;
    }
}

}  // namespace zynshell
