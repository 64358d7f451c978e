// DdeObjectList (dde_object_list.h).
#include "dde_object_list.h"

#include <new>

namespace zynshell {

namespace {
DdeObjectNode* head = nullptr;
}

DdeObjectNode* DdeObjectListHead() { return head; }

bool DdeObjectListPush(ProgramManager* object) {
    DdeObjectNode* node = new (std::nothrow) DdeObjectNode{head, object};
    if (!node) return false;
    head = node;
    return true;
}

void DdeObjectListRemove(ProgramManager* object) {
    for (DdeObjectNode** link = &head; *link; link = &(*link)->next) {
        if ((*link)->object == object) {
            DdeObjectNode* node = *link;
            *link = node->next;
            delete node;
            return;
        }
    }
}

}  // namespace zynshell
