// The folder operations of the library interface. Each one reaches the
// backend through the folder handle's virtual operations or the program
// manager's; where the backends differ, the program manager answers.
// Names are parsed on a private copy (FolderNamePart).
#include <cstring>
#include <string>

#include "dll/library_api.h"

namespace zynshell {

namespace {

constexpr int kLinkNameBufferSize = 520;
constexpr int kShowNormal = 1;

// The common folders exist only on Windows NT.
bool CommonRefused(const ProgramManager& pm, int32_t type) {
    return HasTypeBits(type, kTypeCommon) && !pm.ntFlag;
}

// An item's file name comes from its name only when the name is given; the
// base name taken from a command has no separators.
bool RefusedItem(ProgramManager& pm, const ProgramItem& item) {
    return (item.flags & kItemName) && pm.RefusesName(item.name);
}

ProgramFolder* GetFolderHandleOrThrow(ProgramManager& pm, const char* name, int32_t type) {
    if (CommonRefused(pm, type)) return nullptr;
    std::string copy(name ? name : "");
    return pm.GetFolder(name ? pm.FolderNamePart(&copy[0]) : nullptr, type);
}

// The shortcut to a folder lives in the Desktop root when the type has the
// desktop link bit, else in the Programs root; it is named after the
// folder's last path component.
int ChangeFolderLink(ProgramManager& pm, ProgramFolder* folder, int32_t type, bool add,
                     const char* iconPath, int iconIndex) {
    if (!HasTypeBits(type, kTypeDesktopLink | kTypeProgramsLink)) return 0;
    if (pm.RefusesLinks() || !folder) return 0;
    const int32_t targetType = static_cast<int32_t>(
        (static_cast<uint32_t>(type) & kTypeCommon) |
        (HasTypeBits(type, kTypeDesktopLink) ? kRootDesktop : kRootPrograms));
    ProgramFolder* root = GetFolderHandleOrThrow(pm, nullptr, targetType);
    if (!root) return 0;

    char fullName[kLinkNameBufferSize];
    if (folder->GetName(fullName, sizeof fullName) != 0) return 0;  // too long: refused
    const char* slash = strrchr(fullName, '\\');
    const char* linkName = slash ? slash + 1 : fullName;
    if (pm.RefusesName(linkName)) return 0;
    if (!add) return root->DeleteItem(linkName);

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
    return root->AddItem(item);
}

ProgramFolder* CreateFolderOrThrow(ProgramManager& pm, const char* name, int32_t type,
                                   const char* iconPath, int iconIndex) {
    if (CommonRefused(pm, type)) return nullptr;
    if (!name) name = pm.UnnamedFolder(type);
    if (!name) {
        ProgramFolder* root = GetFolderHandleOrThrow(pm, nullptr, type);
        if (root && HasTypeBits(type, kTypeOpen)) root->Show(kShowNormal);
        return root;
    }
    std::string copy(name);
    const char* parsed = pm.FolderNamePart(&copy[0]);
    if (pm.RefusesName(parsed)) return nullptr;

    ProgramFolder* folder = GetFolderHandleOrThrow(pm, parsed, type);
    if (!folder) {
        folder = pm.OpenFolder(parsed, type, 1);
    } else if (pm.ShowsExistingFolder(type)) {
        folder->Show(kShowNormal);
    }
    // The link goes to the handle just obtained: looking the caller's name up
    // again would find this same handle. It is asked for even without a
    // folder, so that Program Manager still answers a link with code 12.
    ChangeFolderLink(pm, folder, type, true, iconPath, iconIndex);
    return folder;
}

// The forwarders share one shape: a program manager is needed, and nothing
// the backend throws gets out.
template <typename Result, typename Op>
Result Guarded(ProgramManager* pm, Op op) noexcept {
    if (!pm) return Result{};
    try {
        return op(*pm);
    } catch (...) {
        return Result{};
    }
}

// The plain folder forwarders also need a handle.
template <typename Op>
int Forward(ProgramManager* pm, ProgramFolder* folder, Op op) noexcept {
    if (!folder) return 0;
    return Guarded<int>(pm, [&](ProgramManager& m) { return op(m, *folder); });
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
    return Guarded<ProgramFolder*>(pm, [=](ProgramManager& m) { return GetFolderHandleOrThrow(m, name, type); });
}

ProgramFolder* CreateFolderEx(ProgramManager* pm, const char* name, int32_t type,
                              const char* iconPath, int iconIndex) noexcept {
    return Guarded<ProgramFolder*>(
        pm, [=](ProgramManager& m) { return CreateFolderOrThrow(m, name, type, iconPath, iconIndex); });
}

int DeleteFolder(ProgramManager* pm, ProgramFolder* folder) noexcept {
    if (!pm || !folder) return 0;
    const int result = Forward(pm, folder, [](ProgramManager&, ProgramFolder& f) { return f.Delete(); });
    // The handle ends whatever Delete gave.
    ReleaseFolder(pm, folder);
    return result;
}

int UpdateFolder(ProgramManager* pm, ProgramFolder* folder) noexcept {
    return Forward(pm, folder, [](ProgramManager&, ProgramFolder& f) { return f.Update(); });
}

int ShowFolder(ProgramManager* pm, ProgramFolder* folder, int showCmd) noexcept {
    return Forward(pm, folder, [=](ProgramManager&, ProgramFolder& f) { return f.Show(showCmd); });
}

int ListSubFolders(ProgramManager* pm, ProgramFolder* folder) noexcept {
    return Guarded<int>(pm, [=](ProgramManager& m) { return m.ListSubFolders(folder); });
}

int ListFolderItems(ProgramManager* pm, ProgramFolder* folder) noexcept {
    return Forward(pm, folder, [](ProgramManager&, ProgramFolder& f) { return f.ListItems(); });
}

int AddItem(ProgramManager* pm, ProgramFolder* folder, const ProgramItem* item) noexcept {
    if (!item) return 0;
    return Forward(pm, folder, [=](ProgramManager& m, ProgramFolder& f) {
        return RefusedItem(m, *item) ? 0 : f.AddItem(*item);
    });
}

int DeleteItem(ProgramManager* pm, ProgramFolder* folder, const char* itemName) noexcept {
    return Forward(pm, folder, [=](ProgramManager& m, ProgramFolder& f) {
        return m.RefusesName(itemName) ? 0 : f.DeleteItem(itemName);
    });
}

int ReplaceItem(ProgramManager* pm, ProgramFolder* folder, const char* itemName) noexcept {
    return Forward(pm, folder, [=](ProgramManager& m, ProgramFolder& f) {
        return m.RefusesName(itemName) ? 0 : f.ReplaceItem(itemName);
    });
}

void ReleaseFolder(ProgramManager* pm, ProgramFolder* folder) noexcept {
    if (!pm || !folder) return;
    pm->openFolders.Remove(folder);
    delete folder;
}

int AddLinkToFolder(ProgramManager* pm, ProgramFolder* folder, int32_t type,
                    const char* iconPath, int iconIndex) noexcept {
    return Guarded<int>(
        pm, [=](ProgramManager& m) { return ChangeFolderLink(m, folder, type, true, iconPath, iconIndex); });
}

int DeleteLinkToFolder(ProgramManager* pm, ProgramFolder* folder, int32_t type) noexcept {
    return Guarded<int>(pm, [=](ProgramManager& m) { return ChangeFolderLink(m, folder, type, false, nullptr, 0); });
}

}  // namespace zynshell
