// The connection layer of the LPD client: Windows Sockets start-up, the TCP
// connection from a reserved local port (731 down to 221; 220 only as the
// retry of a connection refused as busy from 221) to port 515 of the LPD
// host, whole sends, exact receives and the one-byte acknowledgement
// with which an LPD server answers each command (RFC 1179).
//
// Used only by the job submission (lpd_submit.cpp). Each submission owns its
// LpdConnection, so submissions on different threads never share a socket.
// Every wait (connect, send, receive) waits for readiness with select and is
// bounded by the time-outs below; a silent server ends the step with a
// note to the observer instead of holding the spooler thread.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <optional>

#include "handles.h"
#include "lpd_notes.h"

namespace zynlpr {

constexpr u_short kLpdServerPort = 515;
constexpr u_short kHighestLocalPort = 731;
constexpr u_short kLowestLocalPort = 221;

struct LpdConnection {
    // Declared first, so the socket is closed before Windows Sockets ends.
    std::optional<zyn::WinsockScope> winsock;  // from LpdStartup to LpdCleanup
    zyn::UniqueSocket socket;       // empty when no connection is open
    char localHostName[256] = {};   // gethostname, at most 255 bytes
    // A send or receive failed, timed out or found the connection closed:
    // the stream is out of step or gone, so nothing more is tried on it.
    bool broken = false;
    LpdObserver* observer = nullptr;  // told of every failure; null tells no one
};

// Tells the connection's observer, if any.
void Tell(LpdConnection& connection, LpdNote note, long number = 0, const char* text = nullptr);

// Results of LpdConnect.
enum LpdConnectResult {
    kLpdConnected = 0,
    kLpdHostNotFound = 8,
    kLpdNoSocket = 9,
    kLpdNoLocalPort = 10,
    kLpdConnectFailed = 11,
};

// Value of LpdReadAck when no byte arrived.
constexpr int kLpdNoAck = 6;

// Bounds of the waits, in milliseconds. connectMs bounds one connection
// attempt; idleMs is how long a send or receive may make no progress at all.
struct LpdTimeouts {
    DWORD connectMs;
    DWORD idleMs;
};
LpdTimeouts LpdGetTimeouts();
// For tests and tools that need a silent server to give up sooner.
void LpdSetTimeouts(const LpdTimeouts& timeouts);

// WSAStartup (version 1.1), then gethostname. Tells kNetworkNotStarted or
// kLocalNameUnknown and returns false on failure (nothing to clean up then).
bool LpdStartup(LpdConnection& connection);

// Connects to port 515 of `host` (dotted address or name). Returns one of
// LpdConnectResult; on failure the observer was told and no socket is open.
// The socket is left non-blocking, with TCP_NODELAY set.
int LpdConnect(LpdConnection& connection, const char* host);

// Sends count bytes; returns how many went (count on success). A failure or
// a stall longer than idleMs tells kSendFailed with the error code.
int LpdSend(LpdConnection& connection, const void* bytes, int count);

// Receives exactly count bytes; returns count, 0 when the server closed the
// connection, or fewer on an error or a stall longer than idleMs. Tells nothing.
int LpdReceive(LpdConnection& connection, void* buffer, int count);

// Receives the one acknowledgement byte, sign-extended; kLpdNoAck (after
// kNoAnswer) when none came. With showRefusal, a non-zero byte tells kCommandRefused.
int LpdReadAck(LpdConnection& connection, bool showRefusal);

// Closes the socket and releases Windows Sockets, if started.
void LpdCleanup(LpdConnection& connection);

}  // namespace zynlpr
