// What the core needs from the DDE (Program Manager) backend: making the
// object, opening its conversation, and the group listing that
// ZynListSubFolders asks for.
//
// The DDE backend is not built yet: MakeDdeProgramManager makes no object,
// so ZynPMInit returns null wherever Program Manager would serve.
#pragma once

#include <cstdint>

namespace zynshell {

class ProgramManager;

// A new DdeProgramManager, or null; never throws.
ProgramManager* MakeDdeProgramManager(int16_t ntFlag, int32_t platformKind);
// Opens the object's conversation with Program Manager; 1 on success. The
// object is already on DdeObjectList, because the acknowledgement arrives
// at the window procedure while the initiate is still being broadcast.
int InitiateDdeConversation(ProgramManager& pm);
// Fills the info buffer with Program Manager's list of groups; 1/0.
int RequestDdeGroups(ProgramManager& pm);

}  // namespace zynshell
