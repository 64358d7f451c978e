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

#include "model/program_folder.h"
#include "dde/progman_command.h"

namespace zynshell {

class DdeProgramManager;

class ProgmanGroup : public ProgramFolder {
public:
    ProgmanGroup(DdeProgramManager& pm, const char* name, int32_t type) : ProgramFolder(name, type), pm_(pm) {}

    int Delete() override;
    int Update() override;
    int Show(int showCmd) override;
    int ListSubFolders() override;
    int ListItems() override;
    int AddItem(const ProgramItem& item) override;
    int DeleteItem(const char* itemName) override;
    int ReplaceItem(const char* itemName) override;

    // Sends CreateGroup for this group; 1/0 (lastError 8 for an empty name).
    int CreateGroup();

private:
    int CommonFlag() const;
    int Refused();
    int SendItemCommand(const char* itemName, bool (*format)(char*, const char*));

    DdeProgramManager& pm_;

    char commandBuffer_[kCommandBufferSize];
};

}  // namespace zynshell
