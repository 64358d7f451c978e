// The name of a new port: "ZYN_LPRPort%d" with the first number from 0 to
// 999 that no port of the list takes (a port stored with a trailing colon
// takes its number too) and that no other AddPort still running holds.
//
// A chosen name stays reserved for its PortNameReservation until that ends,
// which AddPort lets happen only after the port's key exists and its record
// is made, so two AddPort calls at the same time never get the same name.
// Takes MonitorLock itself; never call with it held.
#pragma once

namespace zynlpr {

constexpr int kLastPortNumber = 999;

class PortNameReservation {
public:
    PortNameReservation() = default;
    ~PortNameReservation();
    PortNameReservation(const PortNameReservation&) = delete;
    PortNameReservation& operator=(const PortNameReservation&) = delete;

    // Drops the name held so far and reserves the first free name numbered
    // `from` or higher. False, holding nothing, when none is free up to 999
    // (or no memory is left to record the reservation).
    bool ReserveFrom(int from);

    const char* Name() const { return name_; }
    int Number() const { return number_; }

private:
    // Both: the caller holds MonitorLock.
    void Release();
    static bool IsReserved(int number);

    char name_[32] = {};
    int number_ = -1;
};

}  // namespace zynlpr
