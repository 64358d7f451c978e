// HostileLpdServer (hostile_lpd_server.h).
#include "hostile_lpd_server.h"

#include <cstdlib>

#include "seeded_random.h"

namespace lpdsoak {

using zyntest::Rng;

namespace {

constexpr DWORD kSendChunkMs = 2000;       // a client that reads nothing for this long is dropped
constexpr size_t kMaxLine = 1024;          // longer command lines end the connection
constexpr uint64_t kMaxFile = 64u << 20;   // larger announced files end it too
constexpr uint32_t kMaxRefusalText = 3u << 20;

enum class Point { kReceiveJob, kDataCommand, kControlCommand, kDataEnd, kControlEnd };

Action Pick(Rng& rng, Point point, bool behaves) {
    if (behaves) return Action::kAccept;
    const bool dataCommand = point == Point::kDataCommand;
    uint32_t r = rng.Below(100);
    struct Weight { Action action; uint32_t weight; };
    const Weight weights[] = {
        {Action::kShortPause, 8},  {Action::kRefuseOne, 4},    {Action::kRefuseTwo, 5},
        {Action::kRefuseNegative, 3}, {Action::kRefusalText, 3}, {Action::kGarbage, 4},
        {Action::kLongPause, 3},   {Action::kClose, 3},        {Action::kReset, 3},
        {dataCommand ? Action::kPartialAck : Action::kAccept, 2},
        {dataCommand ? Action::kCloseMidFile : Action::kAccept, 2},
    };
    for (const Weight& w : weights) {
        if (r < w.weight) return w.action;
        r -= w.weight;
    }
    return Action::kAccept;
}

bool WaitFor(SOCKET s, bool write, DWORD ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv = {static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
    return select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &tv) == 1;
}

class Peer {
public:
    Peer(SOCKET s, std::atomic<uint64_t>& stalls) : s_(s), stalls_(stalls) {}

    // One byte at a time up to the line feed; false when the client closed,
    // stalled or sent an over-long line.
    bool ReadLine(std::string& line) {
        line.clear();
        for (;;) {
            char c;
            if (!ReadSome(&c, 1)) return false;
            line.push_back(c);
            if (c == '\n') return true;
            if (line.size() > kMaxLine) return false;
        }
    }
    bool ReadExact(uint64_t n, std::string* out) {
        char buf[65536];
        while (n > 0) {
            int want = n < sizeof buf ? static_cast<int>(n) : static_cast<int>(sizeof buf);
            int got = Receive(buf, want);
            if (got <= 0) return false;
            if (out) out->append(buf, static_cast<size_t>(got));
            n -= static_cast<uint64_t>(got);
        }
        return true;
    }
    void Send(const char* bytes, size_t n) {
        while (n > 0) {
            if (!WaitFor(s_, true, kSendChunkMs)) return;
            int chunk = n < 65536 ? static_cast<int>(n) : 65536;
            int sent = send(s_, bytes, chunk, 0);
            if (sent <= 0) return;
            bytes += sent;
            n -= static_cast<size_t>(sent);
        }
    }
    void SendByte(int b) {
        char c = static_cast<char>(b);
        Send(&c, 1);
    }
    void Reset() {
        linger l = {1, 0};
        setsockopt(s_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
    }

private:
    bool ReadSome(char* buf, int n) { return Receive(buf, n) == n; }
    int Receive(char* buf, int n) {
        if (!WaitFor(s_, false, HostileLpdServer::kClientIdleMs)) {
            ++stalls_;
            return -1;
        }
        return recv(s_, buf, n, 0);
    }

    SOCKET s_;
    std::atomic<uint64_t>& stalls_;
};

enum class Outcome { kAccepted, kRefused, kEnded };

// Carries out an answer; kEnded when the connection is to be closed now.
Outcome Answer(Peer& peer, Rng& rng, Action action, const ServerPauses& pauses) {
    switch (action) {
    case Action::kAccept: peer.SendByte(0); return Outcome::kAccepted;
    case Action::kShortPause:
        Sleep(rng.Below(pauses.shortMaxMs + 1));
        peer.SendByte(0);
        return Outcome::kAccepted;
    case Action::kRefuseOne: peer.SendByte(1); return Outcome::kRefused;
    case Action::kRefuseTwo: peer.SendByte(2); return Outcome::kRefused;
    case Action::kRefuseNegative: peer.SendByte(0x80 + static_cast<int>(rng.Below(128))); return Outcome::kRefused;
    case Action::kRefusalText: {
        uint32_t n = rng.Below(4) == 0 ? 1 + rng.Below(kMaxRefusalText) : 1 + rng.Below(400);
        std::string text(n, ' ');
        for (char& c : text) c = static_cast<char>(0x21 + rng.Below(0x5E));
        peer.Send(text.data(), text.size());
        return Outcome::kEnded;
    }
    case Action::kGarbage: {
        std::string bytes(1 + rng.Below(64), '\0');
        for (char& c : bytes) c = static_cast<char>(rng.Below(256));
        bytes[0] = static_cast<char>(1 + rng.Below(255));
        peer.Send(bytes.data(), bytes.size());
        return Outcome::kEnded;
    }
    case Action::kLongPause:
        Sleep(pauses.longMinMs + rng.Below(pauses.longMaxMs - pauses.longMinMs + 1));
        return Outcome::kEnded;
    case Action::kReset: peer.Reset(); return Outcome::kEnded;
    default: return Outcome::kEnded;  // kClose; the file actions are handled by the caller
    }
}

}  // namespace

const char* ActionName(Action action) {
    static const char* const names[] = {"accept",        "refuse 1",       "refuse 2", "refuse negative",
                                        "refusal text",  "garbage",        "partial ack", "short pause",
                                        "long pause",    "close mid file", "close",    "reset"};
    size_t i = static_cast<size_t>(action);
    return i < sizeof names / sizeof names[0] ? names[i] : "?";
}

std::string SoakLoopbackAddress(int index) {
    static const int a = 1 + static_cast<int>((GetCurrentProcessId() * 7) % 200);
    static const int b = 1 + static_cast<int>((GetTickCount() / 1000) % 200);
    return "127." + std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(1 + index % 250);
}

HostileLpdServer::HostileLpdServer(uint64_t seed, const std::string& address, const ServerPauses& pauses)
    : seed_(seed), address_(address), pauses_(pauses), counts_(static_cast<size_t>(Action::kCount)) {
    // The server keeps Windows Sockets started for itself: every submission
    // of the client ends with a WSACleanup of its own.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(515);
    local.sin_addr.s_addr = inet_addr(address_.c_str());
    if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 || listen(s, 16) != 0) {
        closesocket(s);
        return;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    listener_ = s;
    for (int i = 0; i < kServingThreads; ++i) threads_.emplace_back([this] { AcceptAndServe(); });
}

HostileLpdServer::~HostileLpdServer() {
    stop_ = true;
    for (std::thread& t : threads_) t.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    WSACleanup();
}

std::vector<StoredJob> HostileLpdServer::TakeStoredJobs() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<StoredJob> jobs;
    jobs.swap(stored_);
    return jobs;
}

std::vector<uint64_t> HostileLpdServer::ActionCounts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counts_;
}

void HostileLpdServer::AcceptAndServe() {
    // Each thread serves the connections it accepts itself: under Wine a
    // socket accepted on one thread and served and closed on another costs
    // the process some 20 KB that it never gets back, which would drown
    // what the soak measures of the client.
    while (!stop_) {
        if (!WaitFor(listener_, false, 100)) continue;
        SOCKET s = accept(listener_, nullptr, nullptr);  // non-blocking: another thread may have taken it
        if (s == INVALID_SOCKET) continue;
        u_long blocking = 0;
        ioctlsocket(s, FIONBIO, &blocking);
        ++busy_;
        Serve(s, connections_++);
        closesocket(s);
        --busy_;
    }
}

bool HostileLpdServer::WaitIdle(DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    while (busy_ != 0) {
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

void HostileLpdServer::Serve(SOCKET s, uint64_t connection) {
    Rng rng{seed_ ^ ((connection + 1) * 0xD1B54A32D192ED03ull)};
    rng.Next();
    const bool behaves = rng.Below(100) < 40;
    Peer peer(s, stalls_);
    auto pick = [&](Point point) {
        Action a = Pick(rng, point, behaves);
        std::lock_guard<std::mutex> lock(mutex_);
        ++counts_[static_cast<size_t>(a)];
        return a;
    };

    std::string line;
    if (!peer.ReadLine(line) || line[0] != 0x02) return;
    if (Answer(peer, rng, pick(Point::kReceiveJob), pauses_) != Outcome::kAccepted) return;

    std::string dataFile;
    bool haveData = false;
    for (int step = 0; step < 1000; ++step) {
        if (!peer.ReadLine(line) || line.size() < 2 || (line[0] != 0x02 && line[0] != 0x03)) return;
        const bool isData = line[0] == 0x03;
        const uint64_t size = strtoull(line.c_str() + 1, nullptr, 10);
        if (size > kMaxFile) return;

        Action action = pick(isData ? Point::kDataCommand : Point::kControlCommand);
        if (action == Action::kPartialAck || action == Action::kCloseMidFile) {
            peer.SendByte(0);
            const uint64_t part = size ? rng.Next() % size : 0;
            if (!peer.ReadExact(part, nullptr)) return;
            if (action == Action::kCloseMidFile) {
                if (rng.Below(2)) peer.Reset();
                return;
            }
            peer.SendByte(0);  // too early: the file has not arrived whole
            peer.ReadExact(size - part + 1, nullptr);
            return;
        }
        Outcome outcome = Answer(peer, rng, action, pauses_);
        if (outcome == Outcome::kEnded) return;
        if (outcome == Outcome::kRefused) continue;  // the next subcommand follows

        std::string contents, end;
        if (!peer.ReadExact(size, &contents) || !peer.ReadExact(1, &end)) return;
        if (end[0] != 0) continue;  // the client gave the file up; it expects no answer
        outcome = Answer(peer, rng, pick(isData ? Point::kDataEnd : Point::kControlEnd), pauses_);
        if (outcome == Outcome::kEnded) return;
        if (outcome == Outcome::kRefused) continue;
        if (isData) {
            dataFile.swap(contents);
            haveData = true;
            continue;
        }
        if (haveData) {
            std::lock_guard<std::mutex> lock(mutex_);
            stored_.push_back({std::move(dataFile), std::move(contents)});
        }
        // The server closes first, so the lingering end of the connection
        // is its own and not one of the client's few local ports.
        return;
    }
}

}  // namespace lpdsoak
