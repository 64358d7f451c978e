// The exports of zynshell.dll (zynshell.h). Each one forwards to the
// function of the same name in library_api.h; the opaque handles of the
// public header are the program manager and folder objects themselves.
//
// Before anything is read through a handle it is checked against what the
// library keeps: a program manager must be on the list of live ones, a
// folder handle on that program manager's open-folder registry. A released
// or foreign handle makes the call return 0 (null) and change nothing.
#include "zynshell.h"

#include "dll/library_api.h"
#include "dll/live_program_managers.h"

using zynshell::ProgramFolder;
using zynshell::ProgramManager;

namespace {
ProgramManager* PM(ZYNPM pm) { return zynshell::LiveProgramManager(pm); }
ProgramFolder* Folder(ZYNFOLDER f) { return reinterpret_cast<ProgramFolder*>(f); }
ZYNFOLDER Handle(ProgramFolder* f) { return reinterpret_cast<ZYNFOLDER>(f); }

// A folder handle the call may use: null stays null (the library answers
// that itself), anything else must be registered with this program manager.
bool Usable(ProgramManager* pm, ZYNFOLDER f) { return pm && (!f || pm->openFolders.Contains(f)); }
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
int ZYNAPI ZynDeleteFolder(ZYNPM pm, ZYNFOLDER folder) {
    ProgramManager* m = PM(pm);
    return Usable(m, folder) ? zynshell::DeleteFolder(m, Folder(folder)) : 0;
}
int ZYNAPI ZynUpdateFolder(ZYNPM pm, ZYNFOLDER folder) {
    ProgramManager* m = PM(pm);
    return Usable(m, folder) ? zynshell::UpdateFolder(m, Folder(folder)) : 0;
}
int ZYNAPI ZynShowFolder(ZYNPM pm, ZYNFOLDER folder, int showCmd) {
    ProgramManager* m = PM(pm);
    return Usable(m, folder) ? zynshell::ShowFolder(m, Folder(folder), showCmd) : 0;
}
int ZYNAPI ZynListSubFolders(ZYNPM pm, ZYNFOLDER folder) {
    ProgramManager* m = PM(pm);
    return Usable(m, folder) ? zynshell::ListSubFolders(m, Folder(folder)) : 0;
}
int ZYNAPI ZynListFolderItems(ZYNPM pm, ZYNFOLDER folder) {
    ProgramManager* m = PM(pm);
    return Usable(m, folder) ? zynshell::ListFolderItems(m, Folder(folder)) : 0;
}
int ZYNAPI ZynAddItem(ZYNPM pm, ZYNFOLDER folder, uint32_t flags, const char* command,
                      const char* arguments, const char* name, const char* iconPath,
                      int32_t iconIndex, int32_t x, int32_t y, const char* workingDirectory,
                      uint32_t hotkey, int32_t minimize) {
    ProgramManager* m = PM(pm);
    if (!Usable(m, folder)) return 0;
    const zynshell::ProgramItem item = zynshell::MakeProgramItem(
        flags, command, arguments, name, iconPath, iconIndex, x, y, workingDirectory, hotkey, minimize);
    return zynshell::AddItem(m, Folder(folder), &item);
}
int ZYNAPI ZynAddItemEx(ZYNPM pm, ZYNFOLDER folder, const ZynProgramItem* item) {
    ProgramManager* m = PM(pm);
    if (!Usable(m, folder)) return 0;
    return zynshell::AddItem(m, Folder(folder), reinterpret_cast<const zynshell::ProgramItem*>(item));
}
int ZYNAPI ZynDeleteItem(ZYNPM pm, ZYNFOLDER folder, const char* itemName) {
    ProgramManager* m = PM(pm);
    return Usable(m, folder) ? zynshell::DeleteItem(m, Folder(folder), itemName) : 0;
}
int ZYNAPI ZynReplaceItem(ZYNPM pm, ZYNFOLDER folder, const char* itemName) {
    ProgramManager* m = PM(pm);
    return Usable(m, folder) ? zynshell::ReplaceItem(m, Folder(folder), itemName) : 0;
}
void ZYNAPI ZynReleaseFolder(ZYNPM pm, ZYNFOLDER folder) {
    ProgramManager* m = PM(pm);
    if (Usable(m, folder)) zynshell::ReleaseFolder(m, Folder(folder));
}
int ZYNAPI ZynAddLinkToFolder(ZYNPM pm, ZYNFOLDER folder, int32_t type, const char* iconPath,
                              int iconIndex) {
    ProgramManager* m = PM(pm);
    return Usable(m, folder) ? zynshell::AddLinkToFolder(m, Folder(folder), type, iconPath, iconIndex) : 0;
}
int ZYNAPI ZynDeleteLinkToFolder(ZYNPM pm, ZYNFOLDER folder, int32_t type) {
    ProgramManager* m = PM(pm);
    return Usable(m, folder) ? zynshell::DeleteLinkToFolder(m, Folder(folder), type) : 0;
}

}  // extern "C"
