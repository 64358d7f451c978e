// LiveSet: the objects of one kind that are alive, so that a pointer a
// caller hands back (a port handle, a program manager) is checked against
// it before anything is read through it.
//
// An object may be in the set more than once (one entry per open handle);
// Remove takes one entry out. Growing never throws: Add fails when memory
// runs out, and the set keeps what it held. The set takes no lock: its
// owner guards it (the monitor with MonitorLock, zynshell with its own).
// The storage is made on first use and kept for the process, so a set may
// be a global that is never destroyed before its last user.
#pragma once

#include <windows.h>

#include <cstddef>

namespace zyn {

template <typename T>
class LiveSet {
public:
    bool Add(T* item) {
        if (count_ == capacity_ && !Grow()) return false;
        items_[count_++] = item;
        return true;
    }

    // Takes one entry of `item` out; false when there is none.
    bool Remove(const void* item) {
        for (size_t i = 0; i < count_; ++i) {
            if (items_[i] == item) {
                items_[i] = items_[--count_];
                return true;
            }
        }
        return false;
    }

    // The object when `item` is in the set, else null; `item` is compared,
    // never read through.
    T* Find(const void* item) const {
        for (size_t i = 0; i < count_; ++i)
            if (items_[i] == item) return items_[i];
        return nullptr;
    }

    // The first object for which match(object) holds, or null.
    template <typename Match>
    T* FindIf(Match&& match) const {
        for (size_t i = 0; i < count_; ++i)
            if (match(items_[i])) return items_[i];
        return nullptr;
    }

    size_t Count() const { return count_; }

private:
    bool Grow() {
        size_t capacity = capacity_ ? capacity_ * 2 : 8;
        void* grown = items_ ? HeapReAlloc(GetProcessHeap(), 0, items_, capacity * sizeof(T*))
                             : HeapAlloc(GetProcessHeap(), 0, capacity * sizeof(T*));
        if (!grown) return false;
        items_ = static_cast<T**>(grown);
        capacity_ = capacity;
        return true;
    }

    T** items_ = nullptr;
    size_t count_ = 0;
    size_t capacity_ = 0;
};

}  // namespace zyn
