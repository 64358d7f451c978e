// The list of existing program managers (live_program_managers.h).
#include "dll/live_program_managers.h"

#include <windows.h>

#include "live_set.h"

namespace zynshell {

namespace {

zyn::LiveSet<ProgramManager> g_live;
volatile LONG g_busy = 0;

class ListLock {
public:
    ListLock() {
        while (InterlockedExchange(&g_busy, 1) != 0) Sleep(0);
    }
    ~ListLock() { InterlockedExchange(&g_busy, 0); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
};

}  // namespace

bool AddLiveProgramManager(ProgramManager* pm) {
    ListLock lock;
    return g_live.Add(pm);
}

void RemoveLiveProgramManager(ProgramManager* pm) {
    ListLock lock;
    g_live.Remove(pm);
}

ProgramManager* LiveProgramManager(const void* handle) {
    if (!handle) return nullptr;
    ListLock lock;
    return g_live.Find(handle);
}

}  // namespace zynshell
