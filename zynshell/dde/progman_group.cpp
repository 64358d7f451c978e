// ProgmanGroup's operations (progman_group.h) and DdeProgramManager's
// OpenFolder, which makes the handles.
#include "dde/progman_group.h"

#include "dde/dde_program_manager.h"

namespace zynshell {

namespace {
constexpr int kShowFirst = 1, kShowLast = 8;
}  // namespace

int ProgmanGroup::Refused() {
    pm_.lastError = kErrUnsafeCommand;
    return 0;
}

int ProgmanGroup::CommonFlag() const { return HasTypeBits(type(), kTypeCommon) && pm_.ntFlag == 1 ? 1 : 0; }

int ProgmanGroup::CreateGroup() {
    if (!*name()) {
        pm_.lastError = kErrEmptyGroupName;
        return 0;
    }
    char command[kCommandBufferSize];
    if (!FormatCreateGroup(command, name(), CommonFlag())) return Refused();
    return pm_.Execute(command);
}

int ProgmanGroup::Delete() {
    // Off the registry whatever Program Manager answers.
    const bool formatted = FormatDeleteGroup(commandBuffer_, name(), CommonFlag());
    if (formatted) CreateGroup();
    pm_.openFolders.Remove(this);
    if (!formatted) return Refused();
    return pm_.Execute(commandBuffer_);
}

int ProgmanGroup::Update() {
    if (!FormatReload(commandBuffer_, name())) return Refused();
    CreateGroup();
    return pm_.Execute(commandBuffer_);
}

int ProgmanGroup::Show(int showCmd) {
    if (showCmd < kShowFirst || showCmd > kShowLast) {
        pm_.lastError = kErrBadShowCommand;
        return 0;
    }
    if (!FormatShowGroup(commandBuffer_, name(), showCmd, CommonFlag())) return Refused();
    return pm_.Execute(commandBuffer_);
}

int ProgmanGroup::ListSubFolders() { return pm_.Request("GROUPS"); }

int ProgmanGroup::ListItems() { return pm_.Request(name()); }

// Item commands act on the group that CreateGroup made current; when
// Program Manager refused it, the command would land in whatever group is
// current instead, so it is not sent.
int ProgmanGroup::AddItem(const ProgramItem& item) {
    if (!FormatAddItem(commandBuffer_, item)) return Refused();
    if (!CreateGroup()) return 0;
    return pm_.Execute(commandBuffer_);
}

int ProgmanGroup::SendItemCommand(const char* itemName, bool (*format)(char*, const char*)) {
    const bool empty = !itemName || !*itemName;
    if (!empty && !format(commandBuffer_, itemName)) return Refused();
    const int current = CreateGroup();
    if (empty) {
        pm_.lastError = kErrEmptyName;
        return 0;
    }
    if (!current) return 0;
    return pm_.Execute(commandBuffer_);
}

int ProgmanGroup::DeleteItem(const char* itemName) { return SendItemCommand(itemName, FormatDeleteItem); }

int ProgmanGroup::ReplaceItem(const char* itemName) { return SendItemCommand(itemName, FormatReplaceItem); }

ProgramFolder* DdeProgramManager::OpenFolder(const char* name, int32_t type, int create) {
    auto* folder = static_cast<ProgmanGroup*>(openFolders.Find(name, type, 1));
    const bool made = !folder;
    if (made) {
        const char* group = RootSelector(type) == kRootStartup ? startup() : name;
        if (!group) return nullptr;
        // A group whose name no command can carry is never handed out.
        if (!FitsQuotedField(group)) {
            lastError = kErrUnsafeCommand;
            return nullptr;
        }
        if (!create && !FolderExists(name, type)) return nullptr;
        folder = new ProgmanGroup(*this, group, type);
        openFolders.Insert(folder);
    }
    // A group Program Manager refused to make gets no new handle; one the
    // caller already holds stays valid.
    if (create && !folder->CreateGroup() && made) {
        openFolders.Remove(folder);
        delete folder;
        return nullptr;
    }
    return folder;
}

}  // namespace zynshell
