// The open-folder registry: the handles a program manager has handed out, in a
// doubly linked list through ProgramFolder::next/prev, newest first.
#pragma once

#include <cstdint>

namespace zynshell {

class ProgramFolder;

class FolderRegistry {
public:
    void Insert(ProgramFolder* folder);
    // Newest handle whose name equals `name` byte for byte and, when
    // matchType is nonzero, whose type equals `type` in all 32 bits.
    ProgramFolder* Find(const char* name, int32_t type, int matchType) const;
    void Remove(ProgramFolder* folder);
    // True when `handle` is one of the registered handles; compared, never
    // read through, so a released or foreign pointer is safe to ask about.
    bool Contains(const void* handle) const;
    // Destroys every handle still registered (callers should have released them).
    void DestroyAll();
    ProgramFolder* head() const { return head_; }

private:
    ProgramFolder* head_ = nullptr;
};

}  // namespace zynshell
