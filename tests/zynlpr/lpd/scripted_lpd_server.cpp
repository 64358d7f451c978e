// The scripted LPD server of the tests (see scripted_lpd_server.h).
#include "scripted_lpd_server.h"

#include <chrono>
#include <cstdlib>

namespace lpdtest {

namespace {

struct WinsockUser {
    WinsockUser() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUser() { WSACleanup(); }
};

// Ready to read within 100 ms?
bool Readable(SOCKET s) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv = {0, 100000};
    return select(0, &set, nullptr, nullptr, &tv) == 1;
}

}  // namespace

std::string NextLoopbackAddress() {
    static std::atomic<int> next{1};
    static const int a = 1 + static_cast<int>(GetCurrentProcessId() % 200);
    static const int b = 1 + static_cast<int>(GetTickCount() / 1000 % 250);
    int n = next++;
    return "127." + std::to_string(a) + "." + std::to_string((b + n / 250) % 250 + 1) + "." +
           std::to_string(n % 250 + 1);
}

ScriptedLpdServer::ScriptedLpdServer(const std::string& address) : address_(address) {
    static WinsockUser winsock;
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
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
    listener_ = s;
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

ScriptedLpdServer::~ScriptedLpdServer() {
    SetEvent(stop_);
    if (acceptor_.joinable()) acceptor_.join();
    for (auto& w : workers_)
        if (w.joinable()) w.join();
    StopListening();
    CloseHandle(stop_);
}

void ScriptedLpdServer::StopListening() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    listener_ = INVALID_SOCKET;
}

void ScriptedLpdServer::Script(std::vector<Answer> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_.assign(answers.begin(), answers.end());
}

bool ScriptedLpdServer::WaitClosed(size_t count, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        if (connections_.size() < count) return false;
        for (auto& c : connections_)
            if (!c.closed) return false;
        return true;
    });
}

std::vector<Connection> ScriptedLpdServer::Connections() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_;
}

void ScriptedLpdServer::AcceptLoop() {
    while (WaitForSingleObject(stop_, 0) != WAIT_OBJECT_0) {
        SOCKET listener;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            listener = listener_;
        }
        if (listener == INVALID_SOCKET) return;
        if (!Readable(listener)) continue;
        sockaddr_in peer = {};
        int cb = sizeof peer;
        SOCKET s = accept(listener, reinterpret_cast<sockaddr*>(&peer), &cb);
        if (s == INVALID_SOCKET) continue;
        size_t index;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            index = connections_.size();
            connections_.emplace_back();
            connections_.back().peerPort = ntohs(peer.sin_port);
            // workers_[index] serves connections_[index].
            workers_.emplace_back([this, s, index] {
                Serve(s, index);
                closesocket(s);
                std::lock_guard<std::mutex> lock(mutex_);
                connections_[index].closed = true;
                changed_.notify_all();
            });
        }
    }
}

void ScriptedLpdServer::JoinEndedWorkers() {
    std::vector<std::thread> ended;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (size_t i = 0; i < workers_.size(); ++i)
            if (connections_[i].closed && workers_[i].joinable()) ended.push_back(std::move(workers_[i]));
    }
    for (auto& w : ended) w.join();
}

Answer ScriptedLpdServer::NextAnswer() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (script_.empty()) return Answer::Accept();
    Answer a = script_.front();
    script_.pop_front();
    return a;
}

void ScriptedLpdServer::Record(size_t index, const char* data, size_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    connections_[index].bytes.append(data, n);
}

bool ScriptedLpdServer::ReadExact(SOCKET s, size_t index, size_t count, std::string* into, bool paced) {
    std::vector<char> buf(64 * 1024);
    auto start = std::chrono::steady_clock::now();
    size_t done = 0;
    while (done < count) {
        size_t want = count - done < buf.size() ? count - done : buf.size();
        size_t rate = paced ? rate_.load() : 0;
        if (rate) {
            // Read no further than the rate allows by now.
            double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            size_t allowed = static_cast<size_t>(elapsed * rate);
            if (allowed <= done) {
                if (WaitForSingleObject(stop_, 20) == WAIT_OBJECT_0) return false;
                continue;
            }
            if (want > allowed - done) want = allowed - done;
        }
        if (!Readable(s)) {
            if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return false;
            continue;
        }
        int n = recv(s, buf.data(), static_cast<int>(want), 0);
        if (n <= 0) return false;
        Record(index, buf.data(), static_cast<size_t>(n));
        if (into) into->append(buf.data(), static_cast<size_t>(n));
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ScriptedLpdServer::ReadLine(SOCKET s, size_t index, std::string& line) {
    line.clear();
    for (;;) {
        std::string c;
        if (!ReadExact(s, index, 1, &c, false)) return false;
        if (c[0] == '\n') return true;
        line += c;
    }
}

bool ScriptedLpdServer::Respond(SOCKET s, const Answer& answer) {
    switch (answer.kind) {
        case Answer::kByte: {
            char b = static_cast<char>(answer.byte);
            return send(s, &b, 1, 0) == 1;
        }
        case Answer::kText:
            send(s, answer.text.data(), static_cast<int>(answer.text.size()), 0);
            return true;
        case Answer::kClose:
            return false;
        case Answer::kSilent:  // handled by Serve
            return false;
    }
    return false;
}

void ScriptedLpdServer::Serve(SOCKET s, size_t index) {
    std::string line;
    if (!ReadLine(s, index, line)) return;
    // Silence: read and record until the client gives up, never answer.
    auto respond = [&](const Answer& a) {
        if (a.kind == Answer::kSilent) {
            std::vector<char> buf(4096);
            for (;;) {
                if (!Readable(s)) {
                    if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) return false;
                    continue;
                }
                int n = recv(s, buf.data(), static_cast<int>(buf.size()), 0);
                if (n <= 0) return false;
                Record(index, buf.data(), static_cast<size_t>(n));
            }
        }
        return Respond(s, a);
    };
    Answer a = NextAnswer();
    if (!respond(a) || a.kind != Answer::kByte || a.byte != 0) return;

    while (ReadLine(s, index, line)) {
        a = NextAnswer();
        if (!respond(a)) return;
        if (a.kind != Answer::kByte || a.byte != 0) continue;
        if (line.empty() || (line[0] != 2 && line[0] != 3)) continue;
        ReceivedFile file;
        file.kind = line[0];
        size_t space = line.find(' ');
        file.announced = line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
        if (space != std::string::npos) file.name = line.substr(space + 1);
        unsigned long long size = strtoull(file.announced.c_str(), nullptr, 10);
        if (!ReadExact(s, index, size, &file.contents, true)) return;
        std::string end;
        if (!ReadExact(s, index, 1, &end, false)) return;
        file.endByte = static_cast<unsigned char>(end[0]);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            connections_[index].files.push_back(file);
        }
        if (!respond(NextAnswer())) return;
    }
}

}  // namespace lpdtest
