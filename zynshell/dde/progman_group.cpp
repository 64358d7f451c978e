// ProgmanGroup's operations (progman_group.h) and DdeProgramManager's
// OpenFolder, which makes the handles.
#include "dde/progman_group.h"

#include "dde/dde_program_manager.h"

namespace zynshell {

namespace {

DdeProgramManager& Dde(ProgramManager& pm) { return static_cast<DdeProgramManager&>(pm); }

int Refused(ProgramManager& pm) {
    pm.lastError = kErrUnsafeCommand;
    return 0;
}

constexpr int kShowFirst = 1, kShowLast = 8;

}  // namespace

int ProgmanGroup::CommonFlag(const ProgramManager& pm) const {
    return (static_cast<uint32_t>(type()) & kTypeCommon) && pm.ntFlag == 1 ? 1 : 0;
}

int ProgmanGroup::CreateGroup(DdeProgramManager& pm) {
    if (!*name()) {
        pm.lastError = kErrEmptyGroupName;
        return 0;
    }
    char command[kCommandBufferSize];
    if (!FormatCreateGroup(command, name(), CommonFlag(pm))) return Refused(pm);
    return pm.Execute(command);
}

int ProgmanGroup::Delete(ProgramManager& pm) {
    // Off the registry whatever Program Manager answers.
    const bool formatted = FormatDeleteGroup(commandBuffer_, name(), CommonFlag(pm));
    if (formatted) CreateGroup(Dde(pm));
    pm.openFolders.Remove(this);
    if (!formatted) return Refused(pm);
    return Dde(pm).Execute(commandBuffer_);
}

int ProgmanGroup::Update(ProgramManager& pm) {
    if (!FormatReload(commandBuffer_, name())) return Refused(pm);
    CreateGroup(Dde(pm));
    return Dde(pm).Execute(commandBuffer_);
}

int ProgmanGroup::Show(ProgramManager& pm, int showCmd) {
    if (showCmd < kShowFirst || showCmd > kShowLast) {
        pm.lastError = kErrBadShowCommand;
        return 0;
    }
    if (!FormatShowGroup(commandBuffer_, name(), showCmd, CommonFlag(pm))) return Refused(pm);
    return Dde(pm).Execute(commandBuffer_);
}

int ProgmanGroup::ListSubFolders(ProgramManager& pm) { return Dde(pm).Request("GROUPS"); }

int ProgmanGroup::ListItems(ProgramManager& pm) { return Dde(pm).Request(name()); }

// Item commands act on the group that CreateGroup made current; when
// Program Manager refused it, the command would land in whatever group is
// current instead, so it is not sent.
int ProgmanGroup::AddItem(ProgramManager& pm, const ProgramItem& item) {
    if (!FormatAddItem(commandBuffer_, item)) return Refused(pm);
    if (!CreateGroup(Dde(pm))) return 0;
    return Dde(pm).Execute(commandBuffer_);
}

int ProgmanGroup::SendItemCommand(ProgramManager& pm, const char* itemName,
                                  bool (*format)(char*, const char*)) {
    const bool empty = !itemName || !*itemName;
    if (!empty && !format(commandBuffer_, itemName)) return Refused(pm);
    const int current = CreateGroup(Dde(pm));
    if (empty) {
        pm.lastError = kErrEmptyName;
        return 0;
    }
    if (!current) return 0;
    return Dde(pm).Execute(commandBuffer_);
}

int ProgmanGroup::DeleteItem(ProgramManager& pm, const char* itemName) {
    return SendItemCommand(pm, itemName, FormatDeleteItem);
}

int ProgmanGroup::ReplaceItem(ProgramManager& pm, const char* itemName) {
    return SendItemCommand(pm, itemName, FormatReplaceItem);
}

ProgramFolder* DdeProgramManager::OpenFolder(const char* name, int32_t type, int create) {
    ProgramFolder* folder = openFolders.Find(name, type, 1);
    const bool made = !folder;
    if (made) {
        const bool startupGroup = (static_cast<uint32_t>(type) & kTypeRootMask) == kRootStartup;
        const char* group = startupGroup ? startup : name;
        if (!group) return nullptr;
        // A group whose name no command can carry is never handed out.
        if (!FitsQuotedField(group)) {
            lastError = kErrUnsafeCommand;
            return nullptr;
        }
        if (!create && !FolderExists(name, type)) return nullptr;
        folder = new ProgmanGroup(group, type);
        openFolders.Insert(folder);
    }
    // A group Program Manager refused to make gets no new handle; one the
    // caller already holds stays valid.
    if (create && !static_cast<ProgmanGroup*>(folder)->CreateGroup(*this) && made) {
        openFolders.Remove(folder);
        delete folder;
        return nullptr;
    }
    return folder;
}

}  // namespace zynshell
