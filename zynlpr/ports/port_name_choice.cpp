// See port_name_choice.h. The reservations of the AddPort calls in progress
// form a list guarded by MonitorLock; each lives on its caller's stack.
#include "port_name_choice.h"

#include <windows.h>

#include "bounded.h"
#include "port_list.h"
#include "ui/module_state.h"

namespace zynlpr {

namespace {

PortNameReservation* g_reservations = nullptr;

}  // namespace

PortNameReservation::~PortNameReservation() {
    MonitorLockGuard lock;
    Release();
}

bool PortNameReservation::IsReserved(int number) {
    for (const PortNameReservation* r = g_reservations; r; r = r->next_)
        if (r->number_ == number) return true;
    return false;
}

void PortNameReservation::Release() {
    for (PortNameReservation** link = &g_reservations; *link; link = &(*link)->next_) {
        if (*link == this) {
            *link = next_;
            break;
        }
    }
    next_ = nullptr;
    number_ = -1;
    name_[0] = '\0';
}

bool PortNameReservation::ReserveFrom(int from) {
    MonitorLockGuard lock;
    Release();
    for (int n = from < 0 ? 0 : from; n <= kLastPortNumber; ++n) {
        char name[sizeof name_];
        zyn::BoundedFormat(name, sizeof name, "ZYN_LPRPort%d", n);
        if (FindPort(name) || IsReserved(n)) continue;
        zyn::BoundedCopy(name_, name);
        number_ = n;
        next_ = g_reservations;
        g_reservations = this;
        return true;
    }
    return false;
}

}  // namespace zynlpr
