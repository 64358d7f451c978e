// What the DLL layer needs from the DDE (Program Manager) backend: making
// the object, with or without its conversation.
#pragma once

#include <cstdint>

namespace zynshell {

class ProgramManager;

// A new DdeProgramManager, or null when it cannot be built; never throws.
ProgramManager* MakeDdeProgramManager(int16_t ntFlag, int32_t platformKind);
// The same with its conversation with Program Manager open; null when
// either fails.
ProgramManager* OpenDdeProgramManager(int16_t ntFlag, int32_t platformKind);

// For tests: how long a request or execute of pm (a DDE program manager)
// waits for its answer.
void SetDdeAnswerTimeout(ProgramManager& pm, uint32_t milliseconds);

}  // namespace zynshell
