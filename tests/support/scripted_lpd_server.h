// ScriptedLpdServer: the one LPD server (the receiving side of RFC 1179) of
// the tests, the soak, the benchmarks and the demo. The same source builds
// with Windows Sockets for the test programs under Wine and with BSD
// sockets natively (tools/lpdsink), where it must never be what limits a
// throughput figure.
//
// It listens on an address and port 515 (or another), and a few threads made
// once accept and serve the connections in turn, each thread serving what it
// accepted itself (under Wine a socket accepted on one thread and closed on
// another costs the process memory it never gets back, which would drown
// what the soak measures). Connections are numbered as they are accepted.
//
// A script chooses the answer at each point, in the order a client meets
// them: the receive-job command, each subcommand, and the end byte after
// each file. Tests queue the answers (accept when the queue is empty); the
// soak gives each connection a script drawn from a seed; lpdsink refuses
// fixed steps. After a refused subcommand the server waits for the next
// one, as BSD lpd does. A file ended by a byte other than 0x00 was given up
// by the client and gets no answer. Once a connection brought both a data
// and a control file that were taken, the server closes it first, so that
// the connection's TIME_WAIT is the server's and not on one of the client's
// few reserved local ports.
//
// Every wait is bounded: a client that sends nothing for idleMs, or reads
// nothing of an answer for two seconds, is dropped.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#endif

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lpdtest {

#ifdef _WIN32
using Socket = SOCKET;
#else
using Socket = int;
#endif

enum class Point { kReceiveJob, kControlCommand, kDataCommand, kControlEnd, kDataEnd };

struct Answer {
    enum Kind {
        kByte,          // 0x00 takes the step, any other byte refuses it
        kText,          // bytes of any kind: a refusal, or the end with closeAfter
        kClose,         // the connection ends without an answer
        kSilent,        // no answer, the connection read until the client gives up
        kEarlyAck,      // a file's command: 0x00, and again after `part` bytes of the file, then the end
        kCloseMidFile,  // a file's command: 0x00, `part` bytes of the file read, then the end
    } kind = kByte;
    int byte = 0;
    std::string text;
    bool closeAfter = false;  // kText
    bool reset = false;       // kClose, kCloseMidFile: ended by a reset, not a close
    uint32_t pauseMs = 0;     // waited before the answer
    uint64_t part = 0;        // kEarlyAck, kCloseMidFile (below the file's size)

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
    std::string contents;   // kept where the server keeps contents
    uint64_t size = 0;      // bytes received
    int endByte = -1;       // the byte after the contents
    bool taken = false;     // its end was answered with 0x00
    double arrived = 0;     // Seconds() when the last byte of the contents came
    double ended = 0;       // Seconds() when its end byte came
};

struct Connection {
    uint64_t number = 0;              // in the order of acceptance, from 0
    uint16_t peerPort = 0;
    std::string queue;                // the receive-job command's operand
    double started = 0;               // Seconds() when the receive-job command came
    std::string bytes;                // everything received, in order (when recorded)
    std::vector<ReceivedFile> files;  // files whose subcommand was accepted
    bool closed = false;              // the client closed or the server ended it
};

// A steady clock in seconds, the one the records' times are on.
double Seconds();

// A loopback address of its own for each call (127.a.b.n, a and b drawn per
// process), so tests don't meet connections of earlier tests in TIME_WAIT.
std::string NextLoopbackAddress();

// The answers of one connection: `size` is the announced size at a file's
// command, else 0.
using ConnectionScript = std::function<Answer(Point point, uint64_t size)>;

struct ServerOptions {
    std::string address = NextLoopbackAddress();
    uint16_t port = 515;
    int threads = 8;
    bool record = true;         // keep every connection (bytes, files) for Connections()
    bool keepContents = true;   // keep each file's contents while its connection lasts
    uint32_t idleMs = 30000;
    // A script of its own for each connection, made from its number; without
    // one the connections share the queue of Script().
    std::function<ConnectionScript(uint64_t connection)> script;
    // Called, on the serving thread, once a file was taken, and once a
    // connection has ended.
    std::function<void(const Connection&, const ReceivedFile&)> onFileTaken;
    std::function<void(const Connection&)> onEnd;
};

class ScriptedLpdServer {
public:
    explicit ScriptedLpdServer(const std::string& address = NextLoopbackAddress());
    explicit ScriptedLpdServer(ServerOptions options);
    ~ScriptedLpdServer();
    ScriptedLpdServer(const ScriptedLpdServer&) = delete;
    ScriptedLpdServer& operator=(const ScriptedLpdServer&) = delete;

    bool Listening() const { return listening_; }
    const std::string& Address() const { return options_.address; }

    // Queued answers, shared by the connections in the order they meet them.
    void Script(std::vector<Answer> answers);
    // Bytes per second at which data files are read; 0 = at once.
    void ReadRate(size_t bytesPerSecond) { rate_ = bytesPerSecond; }
    // Stop listening (a later connect is refused), keeping what was recorded.
    void StopListening();

    // Waits until `count` connections were made and all of them ended.
    bool WaitClosed(size_t count, unsigned long timeoutMs);
    // Waits until no connection is being served; false after timeoutMs.
    bool WaitIdle(unsigned long timeoutMs) const;
    std::vector<Connection> Connections() const;
    uint64_t ConnectionCount() const { return accepted_; }
    uint64_t ClientStalls() const { return stalls_; }  // clients dropped for sending nothing

private:
    class Peer;
    enum class Outcome { kTaken, kRefused, kEnded };

    void AcceptAndServe();
    void Serve(Peer& peer, Connection& c);
    Outcome Carry(Peer& peer, const Answer& answer, uint64_t size);
    bool ReadFile(Peer& peer, ReceivedFile& file);
    void Update(const std::function<void()>& change);

    ServerOptions options_;
    Socket listener_;
    std::atomic<bool> listening_{false};
    std::atomic<bool> stop_{false};
    std::atomic<size_t> rate_{0};
    std::atomic<uint64_t> accepted_{0};
    std::atomic<uint64_t> stalls_{0};
    std::atomic<int> busy_{0};
    int started_ = 0;  // serving threads that have begun
    std::mutex acceptMutex_;  // one thread waits on the listener at a time
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::function<ConnectionScript(uint64_t)> scriptMaker_;
    std::deque<Answer> queued_;
    std::deque<Connection> connections_;
    std::vector<std::thread> threads_;
};

}  // namespace lpdtest
