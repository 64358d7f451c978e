// ProgmanGroup: the folder handle of the DDE backend, one program group of
// Program Manager known by its name and folder type value. It holds no state
// of Program Manager: every operation names the group afresh, most of them
// by a CreateGroup first (which selects an existing group as the current
// one). The item commands act on the current group, so they are sent only
// when that CreateGroup was acknowledged; Delete and Update name their
// group themselves and go ahead regardless.
//
// A command that cannot be sent safely (progman_command.h) is refused
// before anything of the operation is sent: result 0, lastError 14.
#pragma once

#include "core/program_folder.h"
#include "dde/progman_command.h"

namespace zynshell {

class DdeProgramManager;

class ProgmanGroup : public ProgramFolder {
public:
    ProgmanGroup(const char* name, int32_t type) : ProgramFolder(name, type) {}

    int Delete(ProgramManager& pm) override;
    int Update(ProgramManager& pm) override;
    int Show(ProgramManager& pm, int showCmd) override;
    int ListSubFolders(ProgramManager& pm) override;
    int ListItems(ProgramManager& pm) override;
    int AddItem(ProgramManager& pm, const ProgramItem& item) override;
    int DeleteItem(ProgramManager& pm, const char* itemName) override;
    int ReplaceItem(ProgramManager& pm, const char* itemName) override;

    // Sends CreateGroup for this group; 1/0 (lastError 8 for an empty name).
    int CreateGroup(DdeProgramManager& pm);

private:
    int CommonFlag(const ProgramManager& pm) const;
    int SendItemCommand(ProgramManager& pm, const char* itemName,
                        bool (*format)(char*, const char*));

    char commandBuffer_[kCommandBufferSize];
};

}  // namespace zynshell
