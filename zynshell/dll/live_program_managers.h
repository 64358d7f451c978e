// The program managers that exist: PMInit puts each one it hands out on the
// list and PMUninit takes it off before ending it, so the exports can tell
// a handle that ZynPMInit gave out and ZynPMUninit has not yet ended from a
// released or foreign one before anything is read through it.
//
// Module-wide. A short spin lock (InterlockedExchange, present on every
// platform the library serves) keeps the list whole when program managers
// are made or ended on different threads.
#pragma once

namespace zynshell {

class ProgramManager;

// Adds pm; false when no memory was left to record it.
bool AddLiveProgramManager(ProgramManager* pm);
void RemoveLiveProgramManager(ProgramManager* pm);
// The program manager behind an opaque handle, or null when the handle names
// none that exists. The handle itself is only compared, never read through.
ProgramManager* LiveProgramManager(const void* handle);

}  // namespace zynshell
