// ScriptedLpdServer: an LPD server on a loopback address and port 515, run
// by a test on threads of its own, that records every byte a client sends
// and answers each step as the test's script says.
//
// Answer points, in the order a client meets them: the receive-job command,
// each subcommand, and the end byte after each file. At every point the
// next scripted answer is used (accept when the script is exhausted):
// accept (0x00), a refusal byte (1, 2, 0xFF, ...), a refusal text, closing
// the connection, or silence (no answer, the connection left open). After a
// refused subcommand the server waits for the next subcommand, as BSD lpd
// does. Files are read at full speed or at a set rate.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lpdtest {

struct Answer {
    enum Kind { kByte, kText, kClose, kSilent } kind = kByte;
    int byte = 0;
    std::string text;

    static Answer Accept() { return {}; }
    static Answer Refuse(int b) { Answer a; a.byte = b; return a; }
    static Answer RefuseText(const std::string& t) { Answer a; a.kind = kText; a.text = t; return a; }
    static Answer Close() { Answer a; a.kind = kClose; return a; }
    static Answer Silent() { Answer a; a.kind = kSilent; return a; }
};

struct ReceivedFile {
    char kind = 0;          // 2 control file, 3 data file
    std::string announced;  // the subcommand line's size text
    std::string name;
    std::string contents;
    int endByte = -1;       // the byte after the contents
};

struct Connection {
    u_short peerPort = 0;
    std::string bytes;                // everything received, in order
    std::vector<ReceivedFile> files;  // files whose subcommand was accepted
    bool closed = false;              // the client closed or the server ended it
};

// A loopback address of its own for each call (127.a.b.n, a and b drawn per
// process), so tests don't meet connections of earlier tests in TIME_WAIT.
std::string NextLoopbackAddress();

class ScriptedLpdServer {
public:
    explicit ScriptedLpdServer(const std::string& address = NextLoopbackAddress());
    ~ScriptedLpdServer();
    ScriptedLpdServer(const ScriptedLpdServer&) = delete;
    ScriptedLpdServer& operator=(const ScriptedLpdServer&) = delete;

    bool Listening() const { return listener_ != INVALID_SOCKET; }
    const std::string& Address() const { return address_; }

    void Script(std::vector<Answer> answers);
    // Bytes per second at which file contents are read; 0 = at once.
    void ReadRate(size_t bytesPerSecond) { rate_ = bytesPerSecond; }
    // Stop listening (a later connect is refused), keeping what was recorded.
    void StopListening();

    // Waits until `count` connections were made and all of them ended.
    bool WaitClosed(size_t count, DWORD timeoutMs);
    // Joins the threads of the connections that ended, so that a leak check
    // of the client does not count the server's own thread handles.
    void JoinEndedWorkers();
    std::vector<Connection> Connections() const;

private:
    void AcceptLoop();
    void Serve(SOCKET s, size_t index);
    Answer NextAnswer();
    // false: the connection is over.
    bool Respond(SOCKET s, const Answer& answer);
    bool ReadLine(SOCKET s, size_t index, std::string& line);
    bool ReadExact(SOCKET s, size_t index, size_t count, std::string* into, bool paced);
    void Record(size_t index, const char* data, size_t n);

    std::string address_;
    SOCKET listener_ = INVALID_SOCKET;
    HANDLE stop_ = nullptr;
    std::atomic<size_t> rate_{0};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Answer> script_;
    std::vector<Connection> connections_;
    std::vector<std::thread> workers_;
    std::vector<SOCKET> sockets_;
    std::thread acceptor_;
};

}  // namespace lpdtest
