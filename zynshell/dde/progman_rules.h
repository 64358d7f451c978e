// ProgmanRules: how Program Manager's groups answer the folder calls where
// they differ from Start-menu folders. A group is named by the part of a
// caller's folder name after its bar (or its last backslash); there is no
// Desktop, and a group needs a name, except the StartUp group, which the
// StartUp root always names; an existing group is shown when created again;
// shortcuts to folders do not exist (error 12). Apart from the conversation,
// so that the rules can be tried without one.
#pragma once

#include "model/program_manager.h"

namespace zynshell {

class ProgmanRules : public ProgramManager {
public:
    char* FolderNamePart(char* name) const override;
    ProgramFolder* GetFolder(const char* name, int32_t type) override;
    const char* UnnamedFolder(int32_t type) const override;
    bool ShowsExistingFolder(int32_t type) const override;
    bool RefusesLinks() override;

protected:
    using ProgramManager::ProgramManager;
};

}  // namespace zynshell
