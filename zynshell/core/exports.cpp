// The exports of zynshell.dll (zynshell.h). Each one only forwards to the
// function of the same name in library_api.h; the opaque handles of the
// public header are the program manager and folder objects themselves.
#include "zynshell.h"

#include "library_api.h"

using zynshell::ProgramFolder;
using zynshell::ProgramManager;

namespace {
ProgramManager* PM(ZYNPM pm) { return reinterpret_cast<ProgramManager*>(pm); }
ProgramFolder* Folder(ZYNFOLDER f) { return reinterpret_cast<ProgramFolder*>(f); }
ZYNFOLDER Handle(ProgramFolder* f) { return reinterpret_cast<ZYNFOLDER>(f); }
}  // namespace

// The public record and the internal one are the same layout.
static_assert(sizeof(ZynProgramItem) == sizeof(zynshell::ProgramItem), "item record layouts differ");

extern "C" {

ZYNPM ZYNAPI ZynPMInit(int forceDde) { return reinterpret_cast<ZYNPM>(zynshell::PMInit(forceDde)); }
int ZYNAPI ZynPMUninit(ZYNPM pm) { return zynshell::PMUninit(PM(pm)); }
int ZYNAPI ZynPMGetLastError(ZYNPM pm) { return zynshell::PMGetLastError(PM(pm)); }
int ZYNAPI ZynPMReadInfo(ZYNPM pm, char* buffer, int bufferSize) {
    return zynshell::PMReadInfo(PM(pm), buffer, bufferSize);
}

ZYNFOLDER ZYNAPI ZynGetFolderHandle(ZYNPM pm, const char* name, int32_t type) {
    return Handle(zynshell::GetFolderHandle(PM(pm), name, type));
}
ZYNFOLDER ZYNAPI ZynCreateFolder(ZYNPM pm, const char* name, int32_t type) {
    return Handle(zynshell::CreateFolderEx(PM(pm), name, type, nullptr, 0));
}
ZYNFOLDER ZYNAPI ZynCreateFolderEx(ZYNPM pm, const char* name, int32_t type, const char* iconPath,
                                   int iconIndex) {
    return Handle(zynshell::CreateFolderEx(PM(pm), name, type, iconPath, iconIndex));
}
int ZYNAPI ZynDeleteFolder(ZYNPM pm, ZYNFOLDER folder) { return zynshell::DeleteFolder(PM(pm), Folder(folder)); }
int ZYNAPI ZynUpdateFolder(ZYNPM pm, ZYNFOLDER folder) { return zynshell::UpdateFolder(PM(pm), Folder(folder)); }
int ZYNAPI ZynShowFolder(ZYNPM pm, ZYNFOLDER folder, int showCmd) {
    return zynshell::ShowFolder(PM(pm), Folder(folder), showCmd);
}
int ZYNAPI ZynListSubFolders(ZYNPM pm, ZYNFOLDER folder) {
    return zynshell::ListSubFolders(PM(pm), Folder(folder));
}
int ZYNAPI ZynListFolderItems(ZYNPM pm, ZYNFOLDER folder) {
    return zynshell::ListFolderItems(PM(pm), Folder(folder));
}
int ZYNAPI ZynAddItem(ZYNPM pm, ZYNFOLDER folder, uint32_t flags, const char* command,
                      const char* arguments, const char* name, const char* iconPath,
                      int32_t iconIndex, int32_t x, int32_t y, const char* workingDirectory,
                      uint32_t hotkey, int32_t minimize) {
    const zynshell::ProgramItem item = zynshell::MakeProgramItem(
        flags, command, arguments, name, iconPath, iconIndex, x, y, workingDirectory, hotkey, minimize);
    return zynshell::AddItem(PM(pm), Folder(folder), &item);
}
int ZYNAPI ZynAddItemEx(ZYNPM pm, ZYNFOLDER folder, const ZynProgramItem* item) {
    return zynshell::AddItem(PM(pm), Folder(folder), reinterpret_cast<const zynshell::ProgramItem*>(item));
}
int ZYNAPI ZynDeleteItem(ZYNPM pm, ZYNFOLDER folder, const char* itemName) {
    return zynshell::DeleteItem(PM(pm), Folder(folder), itemName);
}
int ZYNAPI ZynReplaceItem(ZYNPM pm, ZYNFOLDER folder, const char* itemName) {
    return zynshell::ReplaceItem(PM(pm), Folder(folder), itemName);
}
void ZYNAPI ZynReleaseFolder(ZYNPM pm, ZYNFOLDER folder) { zynshell::ReleaseFolder(PM(pm), Folder(folder)); }
int ZYNAPI ZynAddLinkToFolder(ZYNPM pm, ZYNFOLDER folder, int32_t type, const char* iconPath,
                              int iconIndex) {
    return zynshell::AddLinkToFolder(PM(pm), Folder(folder), type, iconPath, iconIndex);
}
int ZYNAPI ZynDeleteLinkToFolder(ZYNPM pm, ZYNFOLDER folder, int32_t type) {
    return zynshell::DeleteLinkToFolder(PM(pm), Folder(folder), type);
}

}  // extern "C"
