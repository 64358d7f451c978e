// See port_name_index.h. Open addressing with linear probing; the table is
// kept at most half full, and a record is never removed from it. Each slot
// remembers when its record was added, so that of several matches the
// first added wins, as the first match of a walk down the list would.
#include "port_name_index.h"

#include <cstring>

namespace zynlpr {

namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

size_t NameHash(const char* name) {
    size_t h = 2166136261u;  // FNV-1a
    for (const char* p = name; *p; ++p) h = (h ^ static_cast<unsigned char>(FoldAscii(*p))) * 16777619u;
    return h;
}

}  // namespace

PortNameIndex::~PortNameIndex() {
    if (slots_) HeapFree(GetProcessHeap(), 0, slots_);
    if (ordered_) HeapFree(GetProcessHeap(), 0, ordered_);
}

bool PortNameIndex::Grow() {
    size_t capacity = capacity_ ? capacity_ * 2 : 64;
    auto* slots = static_cast<Slot*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, capacity * sizeof(Slot)));
    auto* ordered = static_cast<LprPort**>(HeapAlloc(GetProcessHeap(), 0, capacity / 2 * sizeof(LprPort*)));
    if (!slots || !ordered) {
        if (slots) HeapFree(GetProcessHeap(), 0, slots);
        if (ordered) HeapFree(GetProcessHeap(), 0, ordered);
        return false;
    }
    if (count_) memcpy(ordered, ordered_, count_ * sizeof(LprPort*));
    for (size_t i = 0; i < capacity_; ++i) {
        if (!slots_[i].port) continue;
        size_t at = NameHash(slots_[i].port->name) & (capacity - 1);
        while (slots[at].port) at = (at + 1) & (capacity - 1);
        slots[at] = slots_[i];
    }
    if (slots_) HeapFree(GetProcessHeap(), 0, slots_);
    if (ordered_) HeapFree(GetProcessHeap(), 0, ordered_);
    slots_ = slots;
    ordered_ = ordered;
    capacity_ = capacity;
    return true;
}

bool PortNameIndex::Add(LprPort* port) {
    if (failed_) return false;
    if (2 * (count_ + 1) > capacity_ && !Grow()) {
        failed_ = true;
        return false;
    }
    size_t at = NameHash(port->name) & (capacity_ - 1);
    while (slots_[at].port) at = (at + 1) & (capacity_ - 1);
    slots_[at] = {port, count_};
    ordered_[count_++] = port;
    return true;
}

template <typename Match>
LprPort* PortNameIndex::FindFirst(const char* name, Match&& match) const {
    if (!capacity_) return nullptr;
    const Slot* best = nullptr;
    for (size_t at = NameHash(name) & (capacity_ - 1); slots_[at].port; at = (at + 1) & (capacity_ - 1))
        if ((!best || slots_[at].order < best->order) && match(slots_[at].port)) best = &slots_[at];
    return best ? best->port : nullptr;
}

LprPort* PortNameIndex::FindExact(const char* name, bool unlinkedOnly) const {
    return FindFirst(name, [&](const LprPort* port) {
        return strcmp(port->name, name) == 0 && !(unlinkedOnly && port->linked);
    });
}

LprPort* PortNameIndex::FindNoCase(const char* name) const {
    return FindFirst(name, [&](const LprPort* port) { return lstrcmpiA(port->name, name) == 0; });
}

}  // namespace zynlpr
