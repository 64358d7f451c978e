// A hash index of port records by name, for ReloadPorts: with a thousand
// ports, looking up each registry name by walking the list made a reload
// cost half a million name comparisons. Records are found by their exact
// name or by a name equal without regard to case (lstrcmpiA, as FindPort
// compares); the hash folds ASCII letters only, so names that differ in any
// other way land apart, as registry key names do.
//
// The index holds pointers only; the records stay the list's. When memory
// runs out, Add fails and the caller falls back to walking its list.
#pragma once

#include <windows.h>

#include "port_list.h"

namespace zynlpr {

class PortNameIndex {
public:
    PortNameIndex() = default;
    ~PortNameIndex();
    PortNameIndex(const PortNameIndex&) = delete;
    PortNameIndex& operator=(const PortNameIndex&) = delete;

    // False when the table could not grow; the index is then unusable.
    bool Add(LprPort* port);
    bool usable() const { return !failed_; }

    // The records in the order they were added.
    size_t size() const { return count_; }
    LprPort* at(size_t i) const { return ordered_[i]; }

    // First added record whose name equals `name` (exactly, or without
    // regard to case) and that is not linked when unlinkedOnly is set.
    LprPort* FindExact(const char* name, bool unlinkedOnly) const;
    LprPort* FindNoCase(const char* name) const;

private:
    struct Slot {
        LprPort* port;  // null in an empty slot
        size_t order;   // when it was added
    };
    bool Grow();
    template <typename Match>
    LprPort* FindFirst(const char* name, Match&& match) const;

    Slot* slots_ = nullptr;
    LprPort** ordered_ = nullptr;  // capacity_ / 2 entries
    size_t capacity_ = 0;  // a power of two, or 0
    size_t count_ = 0;
    bool failed_ = false;
};

}  // namespace zynlpr
