// HostileLpdServer: an LPD server on a loopback address and port 515 that
// misbehaves on purpose, for the soak of the monitor's LPD client.
//
// A seed decides everything: each connection draws its own generator from
// the seed and the connection's number, and at each answer point (the
// receive-job command, each subcommand, the end byte of each file) picks
// one of the Actions below. Some connections behave throughout, so that
// jobs also get through. Connections are numbered as they are accepted, so
// a client that submits one job at a time meets the same behaviour for the
// same seed on every run. A few threads, made once, accept and serve the
// connections in turn, so that a long pause on one does not hold up the next.
//
// Every wait of the server is bounded (a client that stalls is dropped
// after kClientIdleMs), and so is everything it sends.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

class HostileLpdServer {
public:
    HostileLpdServer(uint64_t seed, const std::string& address, const ServerPauses& pauses);
    ~HostileLpdServer();
    HostileLpdServer(const HostileLpdServer&) = delete;
    HostileLpdServer& operator=(const HostileLpdServer&) = delete;

    bool Listening() const { return listener_ != INVALID_SOCKET; }
    const std::string& Address() const { return address_; }

    // Stored jobs since the last call, in the order they were stored.
    std::vector<StoredJob> TakeStoredJobs();
    // How often each action was taken, and connections dropped because the
    // client stalled.
    std::vector<uint64_t> ActionCounts() const;
    uint64_t ClientStalls() const { return stalls_; }
    uint64_t Connections() const { return connections_; }
    // Waits until no connection is being served and every thread that
    // served one has ended; false after timeoutMs.
    bool WaitIdle(DWORD timeoutMs) const;
    static constexpr int kServingThreads = 4;

    // The server drops a client that sends nothing for this long.
    static constexpr DWORD kClientIdleMs = 5000;

private:
    void AcceptAndServe();
    void Serve(SOCKET s, uint64_t connection);

    const uint64_t seed_;
    const std::string address_;
    const ServerPauses pauses_;
    SOCKET listener_ = INVALID_SOCKET;
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
    mutable std::mutex mutex_;
    std::vector<StoredJob> stored_;
    std::vector<uint64_t> counts_;
    std::atomic<uint64_t> stalls_{0};
    std::atomic<uint64_t> connections_{0};
    std::atomic<int> busy_{0};  // connections being served
};

// A loopback address 127.a.b.c of its own for server `index` of this process.
std::string SoakLoopbackAddress(int index);

}  // namespace lpdsoak
