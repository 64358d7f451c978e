// Placeholder of the DDE backend (dde_backend.h): no Program Manager
// conversation exists yet, so no DDE object is ever made.
#include "dde_backend.h"

namespace zynshell {

ProgramManager* MakeDdeProgramManager(int16_t, int32_t) { return nullptr; }
int InitiateDdeConversation(ProgramManager&) { return 0; }
int RequestDdeGroups(ProgramManager&) { return 0; }

}  // namespace zynshell
