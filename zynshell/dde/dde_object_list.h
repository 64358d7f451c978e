// DdeObjectList: the DDE program managers that ZynPMInit handed out and
// ZynPMUninit has not destroyed yet, newest first. The DDE window procedure
// finds the object of a conversation window through it. Module-wide and
// unguarded: the library serves one thread at a time.
#pragma once

namespace zynshell {

class ProgramManager;

struct DdeObjectNode {
    DdeObjectNode* next;
    ProgramManager* object;
};

// Head of the list, null when empty.
DdeObjectNode* DdeObjectListHead();
// Puts object at the front; false when no node could be allocated.
bool DdeObjectListPush(ProgramManager* object);
// Unlinks and frees the node of object, if there is one.
void DdeObjectListRemove(ProgramManager* object);

}  // namespace zynshell
