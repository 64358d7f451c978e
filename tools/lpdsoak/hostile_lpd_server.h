// HostileLpdServer: the tests' LPD server (tests/support/scripted_lpd_server.h)
// misbehaving on purpose, for the soak of the monitor's LPD client.
//
// A seed decides everything: each connection draws its own generator from
// the seed and the connection's number, and at each answer point (the
// receive-job command, each subcommand, the end byte of each file) picks
// one of the Actions below, carried out as the server's answer. Some
// connections behave throughout, so that jobs also get through.
// Connections are numbered as they are accepted, so a client that submits
// one job at a time meets the same behaviour for the same seed on every run.
// A few threads serve the connections, so that a long pause on one does not
// hold up the next; a client that stalls is dropped after kClientIdleMs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "scripted_lpd_server.h"

namespace lpdsoak {

enum class Action {
    kAccept,          // 0x00
    kRefuseOne,       // 0x01: the client sends the step again or gives up
    kRefuseTwo,       // 0x02: "try again later"
    kRefuseNegative,  // a byte 0x80..0xFF
    kRefusalText,     // a printable byte and text of up to megabytes, then close
    kGarbage,         // a few random bytes (the first not 0x00), then close
    kPartialAck,      // data file: 0x00 before the file has arrived whole, then close
    kShortPause,      // pause within the client's idle bound, then accept
    kLongPause,       // pause beyond the client's idle bound, then close
    kCloseMidFile,    // data file: accept, read part of it, then close
    kClose,           // close without an answer
    kReset,           // close with a reset (no lingering)
    kCount
};

const char* ActionName(Action action);

struct ServerPauses {
    DWORD shortMaxMs;  // upper end of a short pause (below the client's idle bound)
    DWORD longMinMs;   // a long pause lies between these two (beyond it)
    DWORD longMaxMs;
};

// A job the server took whole: its data file and its control file were both
// acknowledged with 0x00 on one connection.
struct StoredJob {
    std::string dataFile;
    std::string controlFile;
};

// The script of connection number `connection` for `seed`; `picked` is told
// each action it picks.
lpdtest::ConnectionScript HostileScript(uint64_t seed, uint64_t connection, const ServerPauses& pauses,
                                        std::function<void(Action)> picked);

class HostileLpdServer {
public:
    HostileLpdServer(uint64_t seed, const ServerPauses& pauses);

    bool Listening() const { return server_.Listening(); }
    const std::string& Address() const { return server_.Address(); }

    // Stored jobs since the last call, in the order they were stored.
    std::vector<StoredJob> TakeStoredJobs();
    // How often each action was taken, and connections dropped because the
    // client stalled.
    std::vector<uint64_t> ActionCounts() const;
    uint64_t ClientStalls() const { return server_.ClientStalls(); }
    uint64_t Connections() const { return server_.ConnectionCount(); }
    // Waits until no connection is being served; false after timeoutMs.
    bool WaitIdle(DWORD timeoutMs) const { return server_.WaitIdle(timeoutMs); }

    static constexpr DWORD kClientIdleMs = 5000;

private:
    lpdtest::ServerOptions Options();

    const uint64_t seed_;
    const ServerPauses pauses_;
    mutable std::mutex mutex_;
    std::vector<StoredJob> stored_;
    std::vector<uint64_t> counts_;
    lpdtest::ScriptedLpdServer server_;  // last: its threads end before the rest goes
};

}  // namespace lpdsoak
