// The library interface as plain C++ functions: exports.cpp forwards each
// export to the function of the same name here. None of them lets an
// exception out; a failed allocation reads as a failure (null or 0) with
// lastError unchanged.
#pragma once

#include <cstdint>

#include "model/program_folder.h"
#include "model/program_item.h"
#include "model/program_manager.h"

namespace zynshell {

// Lifecycle and info text (lifecycle.cpp).
ProgramManager* PMInit(int forceDde) noexcept;
int PMUninit(ProgramManager* pm) noexcept;
int PMGetLastError(const ProgramManager* pm) noexcept;
int PMReadInfo(ProgramManager* pm, char* buffer, int bufferSize) noexcept;

// Folder operations (folder_calls.cpp).
ProgramFolder* GetFolderHandle(ProgramManager* pm, const char* name, int32_t type) noexcept;
ProgramFolder* CreateFolderEx(ProgramManager* pm, const char* name, int32_t type,
                              const char* iconPath, int iconIndex) noexcept;
int DeleteFolder(ProgramManager* pm, ProgramFolder* folder) noexcept;
int UpdateFolder(ProgramManager* pm, ProgramFolder* folder) noexcept;
int ShowFolder(ProgramManager* pm, ProgramFolder* folder, int showCmd) noexcept;
int ListSubFolders(ProgramManager* pm, ProgramFolder* folder) noexcept;
int ListFolderItems(ProgramManager* pm, ProgramFolder* folder) noexcept;
int AddItem(ProgramManager* pm, ProgramFolder* folder, const ProgramItem* item) noexcept;
int DeleteItem(ProgramManager* pm, ProgramFolder* folder, const char* itemName) noexcept;
int ReplaceItem(ProgramManager* pm, ProgramFolder* folder, const char* itemName) noexcept;
void ReleaseFolder(ProgramManager* pm, ProgramFolder* folder) noexcept;
int AddLinkToFolder(ProgramManager* pm, ProgramFolder* folder, int32_t type,
                    const char* iconPath, int iconIndex) noexcept;
int DeleteLinkToFolder(ProgramManager* pm, ProgramFolder* folder, int32_t type) noexcept;

// The item record of ZynAddItem: its eleven values in field order, the
// hotkey cut to its low 16 bits.
ProgramItem MakeProgramItem(uint32_t flags, const char* command, const char* arguments,
                            const char* name, const char* iconPath, int32_t iconIndex,
                            int32_t x, int32_t y, const char* workingDirectory,
                            uint32_t hotkey, int32_t minimize) noexcept;

}  // namespace zynshell
