// See port_name_choice.h. The reservations of the AddPort calls in progress
// form a list guarded by MonitorLock; each lives on its caller's stack.
#include "port_name_choice.h"

#include <windows.h>

#include "bounded.h"
#include "live_set.h"
#include "port_list.h"
#include "ui/module_state.h"

namespace zynlpr {

namespace {

zyn::LiveSet<PortNameReservation> g_reservations;  // those holding a name

}  // namespace

PortNameReservation::~PortNameReservation() {
    MonitorLockGuard lock;
    Release();
}

bool PortNameReservation::IsReserved(int number) {
    return g_reservations.FindIf([number](const PortNameReservation* r) { return r->number_ == number; }) != nullptr;
}

void PortNameReservation::Release() {
    g_reservations.Remove(this);
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
        if (!g_reservations.Add(this)) return false;
        zyn::BoundedCopy(name_, name);
        number_ = n;
        return true;
    }
    return false;
}

}  // namespace zynlpr
