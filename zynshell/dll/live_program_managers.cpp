// The list of existing program managers (live_program_managers.h).
#include "dll/live_program_managers.h"

#include <windows.h>

#include <new>

namespace zynshell {

namespace {

struct LiveNode {
    LiveNode* next;
    ProgramManager* pm;
};

LiveNode* g_head = nullptr;
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
    LiveNode* node = new (std::nothrow) LiveNode{nullptr, pm};
    if (!node) return false;
    ListLock lock;
    node->next = g_head;
    g_head = node;
    return true;
}

void RemoveLiveProgramManager(ProgramManager* pm) {
    LiveNode* gone = nullptr;
    {
        ListLock lock;
        for (LiveNode** link = &g_head; *link; link = &(*link)->next) {
            if ((*link)->pm == pm) {
                gone = *link;
                *link = gone->next;
                break;
            }
        }
    }
    delete gone;
}

ProgramManager* LiveProgramManager(const void* handle) {
    if (!handle) return nullptr;
    ListLock lock;
    for (LiveNode* node = g_head; node; node = node->next)
        if (node->pm == handle) return node->pm;
    return nullptr;
}

}  // namespace zynshell
