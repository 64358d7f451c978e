// The open-folder registry (folder_registry.h).
#include "model/folder_registry.h"

#include <cstring>

#include "model/program_folder.h"

namespace zynshell {

void FolderRegistry::Insert(ProgramFolder* folder) {
    if (!folder) return;
    folder->prev = nullptr;
    folder->next = head_;
    if (head_) head_->prev = folder;
    head_ = folder;
}

ProgramFolder* FolderRegistry::Find(const char* name, int32_t type, int matchType) const {
    if (!name) return nullptr;
    for (ProgramFolder* f = head_; f; f = f->next) {
        if (strcmp(f->name(), name) == 0 && (!matchType || f->type() == type)) return f;
    }
    return nullptr;
}

void FolderRegistry::Remove(ProgramFolder* folder) {
    // A handle that is no longer registered (a backend's Delete already took
    // it off) is left alone, so removing twice is harmless.
    if (!folder || (!folder->prev && head_ != folder)) return;
    if (folder->prev) folder->prev->next = folder->next;
    else head_ = folder->next;
    if (folder->next) folder->next->prev = folder->prev;
    folder->next = folder->prev = nullptr;
}

bool FolderRegistry::Contains(const void* handle) const {
    for (const ProgramFolder* f = head_; f; f = f->next)
        if (f == handle) return true;
    return false;
}

void FolderRegistry::DestroyAll() {
    while (ProgramFolder* f = head_) {
        Remove(f);
        delete f;
    }
}

}  // namespace zynshell
