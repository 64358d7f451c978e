// The program managers that exist: every ProgramManager enters the list when
// its base is constructed and leaves it when destroyed, so the exports can
// tell a handle that ZynPMInit gave out and ZynPMUninit has not yet ended
// from a released or foreign one before anything is read through it.
//
// Module-wide. A short spin lock (InterlockedExchange, present on every
// platform the library serves) keeps the list whole when program managers
// are made or ended on different threads.
#pragma once

namespace zynshell {

class ProgramManager;

// Adds pm; false when no node could be allocated.
bool AddLiveProgramManager(ProgramManager* pm);
void RemoveLiveProgramManager(ProgramManager* pm);
// The program manager behind an opaque handle, or null when the handle names
// none that exists. The handle itself is only compared, never read through.
ProgramManager* LiveProgramManager(const void* handle);

}  // namespace zynshell
