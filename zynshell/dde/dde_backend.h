// What the core needs from the DDE (Program Manager) backend: making the
// object, opening its conversation, and the group listing that
// ZynListSubFolders asks for.
#pragma once

#include <cstdint>

namespace zynshell {

class ProgramManager;

// A new DdeProgramManager, or null when it cannot be built; never throws.
ProgramManager* MakeDdeProgramManager(int16_t ntFlag, int32_t platformKind);
// Opens the object's conversation with Program Manager; 1 on success. The
// object is already on DdeObjectList, because the acknowledgement arrives
// at the window procedure while the initiate is still being broadcast.
int InitiateDdeConversation(ProgramManager& pm);
// Fills the info buffer with Program Manager's list of groups; 1/0.
int RequestDdeGroups(ProgramManager& pm);

// For tests: how long a request or execute of pm waits for its answer.
void SetDdeAnswerTimeout(ProgramManager& pm, uint32_t milliseconds);

}  // namespace zynshell
