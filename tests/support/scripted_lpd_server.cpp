// ScriptedLpdServer (scripted_lpd_server.h).
#include "scripted_lpd_server.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#ifndef _WIN32
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace lpdtest {

namespace {

// The few calls in which Windows Sockets and BSD sockets differ.
#ifdef _WIN32
const Socket kNoSocket = INVALID_SOCKET;
using AddressSize = int;
constexpr int kSendFlags = 0;
void CloseSocket(Socket s) { closesocket(s); }
bool WouldBlock() { return WSAGetLastError() == WSAEWOULDBLOCK; }
void SetNonBlocking(Socket s) {
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
}
unsigned ProcessNumber() { return static_cast<unsigned>(GetCurrentProcessId()); }
#else
const Socket kNoSocket = -1;
using AddressSize = socklen_t;
constexpr int kSendFlags = MSG_NOSIGNAL;  // a client gone is an answer, not a signal
void CloseSocket(Socket s) { close(s); }
bool WouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }
void SetNonBlocking(Socket s) { fcntl(s, F_SETFL, fcntl(s, F_GETFL) | O_NONBLOCK); }
unsigned ProcessNumber() { return static_cast<unsigned>(getpid()); }
#endif

constexpr size_t kBlock = 1 << 20;           // one read of a file's contents
constexpr uint32_t kSendBoundMs = 2000;      // a client that reads nothing for this long is dropped
constexpr uint64_t kMaxKept = 256u << 20;    // a larger file that would be kept ends the connection
constexpr uint32_t kSliceMs = 100;           // how often a wait looks whether the server stops

bool Ready(Socket s, bool write, uint32_t ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv = {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
    return select(static_cast<int>(s) + 1, write ? nullptr : &set, write ? &set : nullptr, nullptr, &tv) == 1;
}

void SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string NextLoopbackAddress() {
    static std::atomic<int> next{1};
    static const unsigned a = 1 + ProcessNumber() % 200;
    static const unsigned b = 1 + static_cast<unsigned>(std::chrono::duration_cast<std::chrono::seconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count() % 250);
    int n = next++;
    return "127." + std::to_string(a) + "." + std::to_string((b + n / 250) % 250 + 1) + "." +
           std::to_string(n % 250 + 1);
}

// One connection's socket: command lines through a small buffer, contents
// straight into the serving thread's block, every byte recorded where the
// server records, every wait bounded.
class ScriptedLpdServer::Peer {
public:
    Peer(ScriptedLpdServer& server, Socket s, Connection& c, std::vector<char>& block)
        : server_(server), s_(s), c_(c), block_(block) {}

    bool ReadLine(std::string& line) {
        for (;;) {
            const char* start = pending_ + at_;
            if (const char* end = static_cast<const char*>(memchr(start, '\n', have_ - at_))) {
                line.assign(start, end);
                at_ = static_cast<size_t>(end - pending_) + 1;
                return true;
            }
            memmove(pending_, pending_ + at_, have_ - at_);
            have_ -= at_;
            at_ = 0;
            if (have_ == sizeof pending_) return false;  // no command line is this long
            size_t n = Receive(pending_ + have_, sizeof pending_ - have_);
            if (n == 0) return false;
            have_ += n;
        }
    }
    // Up to n bytes (at most a block), buffered ones first; 0 when the
    // connection is over.
    size_t Read(size_t n, const char** data) {
        n = std::min(n, block_.size());
        if (at_ < have_) {
            *data = pending_ + at_;
            n = std::min(n, have_ - at_);
            at_ += n;
            return n;
        }
        *data = block_.data();
        return Receive(block_.data(), n);
    }
    bool Skip(uint64_t n) {
        const char* data;
        for (size_t got; n > 0; n -= got)
            if ((got = Read(static_cast<size_t>(std::min<uint64_t>(n, kBlock)), &data)) == 0) return false;
        return true;
    }
    bool Send(const char* bytes, size_t n) {
        while (n > 0) {
            const int chunk = static_cast<int>(std::min<size_t>(n, 65536));
            const int sent = static_cast<int>(send(s_, bytes, chunk, kSendFlags));
            if (sent > 0) {
                bytes += sent;
                n -= static_cast<size_t>(sent);
            } else if (sent < 0 && WouldBlock()) {
                if (!Ready(s_, true, kSendBoundMs)) return false;
            } else {
                return false;
            }
        }
        return true;
    }
    bool SendByte(int b) {
        const char c = static_cast<char>(b);
        return Send(&c, 1);
    }
    void Reset() {
        linger l = {1, 0};
        setsockopt(s_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
    }
    bool Pause(uint32_t ms) {
        for (uint32_t slept = 0; slept < ms; slept += kSliceMs) {
            if (server_.stop_) return false;
            SleepMs(std::min(kSliceMs, ms - slept));
        }
        return true;
    }

private:
    size_t Receive(char* into, size_t n) {
        uint32_t waited = 0;
        for (;;) {
            const int got = static_cast<int>(recv(s_, into, static_cast<int>(n), 0));
            if (got > 0) {
                if (server_.options_.record) server_.Update([&] { c_.bytes.append(into, static_cast<size_t>(got)); });
                return static_cast<size_t>(got);
            }
            if (got == 0 || !WouldBlock() || server_.stop_) return 0;
            if (waited >= server_.options_.idleMs) {
                ++server_.stalls_;
                return 0;
            }
            Ready(s_, false, kSliceMs);
            waited += kSliceMs;
        }
    }

    ScriptedLpdServer& server_;
    Socket s_;
    Connection& c_;
    std::vector<char>& block_;
    char pending_[4096];
    size_t at_ = 0, have_ = 0;
};

ScriptedLpdServer::ScriptedLpdServer(const std::string& address)
    : ScriptedLpdServer([&] {
          ServerOptions o;
          o.address = address;
          return o;
      }()) {}

ScriptedLpdServer::ScriptedLpdServer(ServerOptions options) : options_(std::move(options)), listener_(kNoSocket) {
    if (options_.script)
        scriptMaker_ = options_.script;
    else
        Script({});
#ifdef _WIN32
    // Each server keeps Windows Sockets started for itself: a client in the
    // same process ends every submission with a WSACleanup of its own.
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
#endif
    Socket s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == kNoSocket) return;
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(options_.port);
    local.sin_addr.s_addr = inet_addr(options_.address.c_str());
    if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 || listen(s, 16) != 0) {
        CloseSocket(s);
        return;
    }
    SetNonBlocking(s);  // another thread may take a connection first
    listener_ = s;
    listening_ = true;
    for (int i = 0; i < options_.threads; ++i) threads_.emplace_back([this] { AcceptAndServe(); });
    // Wine gives each thread that calls Windows Sockets a handle of its own
    // for good; all of them are made now, so that a client's leak check in
    // this process does not count one whenever a thread serves its first
    // connection.
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [&] { return started_ == options_.threads; });
}

ScriptedLpdServer::~ScriptedLpdServer() {
    stop_ = true;
    for (std::thread& t : threads_) t.join();
    StopListening();
#ifdef _WIN32
    WSACleanup();
#endif
}

void ScriptedLpdServer::StopListening() {
    std::lock_guard<std::mutex> lock(acceptMutex_);
    if (listening_) CloseSocket(listener_);
    listening_ = false;
}

void ScriptedLpdServer::Script(std::vector<Answer> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    queued_.assign(answers.begin(), answers.end());
    scriptMaker_ = [this](uint64_t) {
        return [this](Point, uint64_t) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (queued_.empty()) return Answer::Accept();
            Answer a = queued_.front();
            queued_.pop_front();
            return a;
        };
    };
}

bool ScriptedLpdServer::WaitClosed(size_t count, unsigned long timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return connections_.size() >= count &&
               std::all_of(connections_.begin(), connections_.end(), [](const Connection& c) { return c.closed; });
    });
}

bool ScriptedLpdServer::WaitIdle(unsigned long timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (busy_ != 0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        SleepMs(20);
    }
    return true;
}

std::vector<Connection> ScriptedLpdServer::Connections() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {connections_.begin(), connections_.end()};
}

void ScriptedLpdServer::Update(const std::function<void()>& change) {
    std::lock_guard<std::mutex> lock(mutex_);
    change();
    changed_.notify_all();
}

void ScriptedLpdServer::AcceptAndServe() {
    std::vector<char> block(kBlock);
    Ready(listener_, false, 0);
    Update([&] { ++started_; });
    while (!stop_) {
        Socket s = kNoSocket;
        sockaddr_in peer = {};
        Connection unrecorded;
        Connection* c = &unrecorded;
        {
            std::lock_guard<std::mutex> lock(acceptMutex_);
            if (listening_ && Ready(listener_, false, kSliceMs)) {
                AddressSize cb = sizeof peer;
                s = accept(listener_, reinterpret_cast<sockaddr*>(&peer), &cb);
            }
            if (s != kNoSocket) {
                ++busy_;
                unrecorded.number = accepted_++;
                if (options_.record) {
                    std::lock_guard<std::mutex> records(mutex_);
                    c = &connections_.emplace_back(unrecorded);
                }
            }
        }
        if (s == kNoSocket) {
            if (!listening_) SleepMs(kSliceMs);
            continue;
        }
        SetNonBlocking(s);
        Update([&] { c->peerPort = ntohs(peer.sin_port); });
        {
            Peer p(*this, s, *c, block);
            Serve(p, *c);
        }
        CloseSocket(s);
        Update([&] { c->closed = true; });
        if (options_.onEnd) options_.onEnd(*c);
        --busy_;
    }
}

ScriptedLpdServer::Outcome ScriptedLpdServer::Carry(Peer& peer, const Answer& a, uint64_t size) {
    if (a.pauseMs && !peer.Pause(a.pauseMs)) return Outcome::kEnded;
    switch (a.kind) {
    case Answer::kByte:
        if (!peer.SendByte(a.byte)) return Outcome::kEnded;
        return a.byte == 0 ? Outcome::kTaken : Outcome::kRefused;
    case Answer::kText:
        peer.Send(a.text.data(), a.text.size());
        return a.closeAfter ? Outcome::kEnded : Outcome::kRefused;
    case Answer::kSilent:
        for (const char* data; peer.Read(kBlock, &data) > 0;) {
        }
        return Outcome::kEnded;
    case Answer::kEarlyAck:
    case Answer::kCloseMidFile:
        if (!peer.SendByte(0) || !peer.Skip(a.part)) return Outcome::kEnded;
        if (a.kind == Answer::kEarlyAck && peer.SendByte(0)) peer.Skip(size - a.part + 1);
        break;
    case Answer::kClose:
        break;
    }
    if (a.reset) peer.Reset();
    return Outcome::kEnded;
}

bool ScriptedLpdServer::ReadFile(Peer& peer, ReceivedFile& file) {
    const uint64_t size = strtoull(file.announced.c_str(), nullptr, 10);
    if (options_.keepContents && size > kMaxKept) return false;
    const bool paced = file.kind == 3;
    const double start = Seconds();
    const char* data;
    while (file.size < size) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(size - file.size, kBlock));
        if (const size_t rate = paced ? rate_.load() : 0) {
            // Read no further than the rate allows by now.
            const double allowed = (Seconds() - start) * static_cast<double>(rate) - static_cast<double>(file.size);
            if (allowed < static_cast<double>(std::min<size_t>(want, 4096))) {
                if (!peer.Pause(10)) return false;
                continue;
            }
            want = std::min(want, static_cast<size_t>(allowed));
        }
        const size_t got = peer.Read(want, &data);
        if (got == 0) return false;
        if (options_.keepContents) file.contents.append(data, got);
        file.size += got;
    }
    file.arrived = Seconds();
    if (peer.Read(1, &data) != 1) return false;
    file.endByte = static_cast<unsigned char>(data[0]);
    file.ended = Seconds();
    return true;
}

void ScriptedLpdServer::Serve(Peer& peer, Connection& c) {
    ConnectionScript script;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        script = scriptMaker_(c.number);
    }
    std::string line;
    if (!peer.ReadLine(line)) return;
    Update([&] {
        c.started = Seconds();
        c.queue = line.substr(1);
    });
    if (Carry(peer, script(Point::kReceiveJob, 0), 0) != Outcome::kTaken) return;

    bool data = false, control = false;
    while (!(data && control) && peer.ReadLine(line)) {
        const bool isFile = !line.empty() && (line[0] == 2 || line[0] == 3);
        ReceivedFile file;
        file.kind = isFile ? line[0] : 0;
        const size_t space = line.find(' ');
        file.announced = line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
        if (space != std::string::npos) file.name = line.substr(space + 1);
        const bool isData = file.kind == 3;
        const uint64_t size = strtoull(file.announced.c_str(), nullptr, 10);
        const Outcome o = Carry(peer, script(isData ? Point::kDataCommand : Point::kControlCommand, size), size);
        if (o == Outcome::kEnded) return;
        if (o == Outcome::kRefused || !isFile) continue;
        if (!ReadFile(peer, file)) return;
        Update([&] { c.files.push_back(std::move(file)); });
        if (c.files.back().endByte != 0) continue;  // given up by the client, which expects no answer
        const Outcome end = Carry(peer, script(isData ? Point::kDataEnd : Point::kControlEnd, 0), 0);
        if (end == Outcome::kTaken) {
            Update([&] { c.files.back().taken = true; });
            (isData ? data : control) = true;
            if (options_.onFileTaken) options_.onFileTaken(c, c.files.back());
        }
        if (end == Outcome::kEnded) return;
    }
}

}  // namespace lpdtest
