// Connection layer of the LPD client (see lpd_connection.h).
//
// Non-blocking sockets with select-based waits: a step that would block
// waits for the socket to become ready instead of repeating the call, so a
// slow server costs no processor time, and a server that stops answering is
// given up after the idle time-out.
#include "lpd_connection.h"

#include <cstring>


namespace zynlpr {

namespace {

// A minute of silence mid-job means the server is gone or wedged; a minute
// also outlasts the pauses of a server that syncs a large file to disk.
volatile LONG g_connectMs = 30000;
volatile LONG g_idleMs = 60000;

// Would-block as Windows Sockets reports it, and as some stacks report the
// Berkeley EAGAIN (35) through WSAGetLastError.
bool IsWouldBlock(int error) { return error == WSAEWOULDBLOCK || error == 35; }

// A local port that is taken: Windows reports WSAEADDRINUSE; Wine reports a
// port whose earlier connection is still in TIME_WAIT as WSAEADDRNOTAVAIL.
bool IsPortBusy(int error) { return error == WSAEADDRINUSE || error == WSAEADDRNOTAVAIL; }

timeval ToTimeval(DWORD ms) {
    timeval tv;
    tv.tv_sec = static_cast<long>(ms / 1000);
    tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
    return tv;
}

enum class Wait { kRead, kWrite };

// 0 when the socket is ready, WSAETIMEDOUT after `ms`, else the select error.
int WaitReady(SOCKET s, Wait what, DWORD ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv = ToTimeval(ms);
    int n = what == Wait::kRead ? select(0, &set, nullptr, nullptr, &tv)
                                : select(0, nullptr, &set, nullptr, &tv);
    if (n == SOCKET_ERROR) return WSAGetLastError();
    return n == 0 ? WSAETIMEDOUT : 0;
}

// Connects the non-blocking socket; 0 or the Windows Sockets error.
int ConnectWithin(SOCKET s, const sockaddr_in& remote, DWORD ms) {
    if (connect(s, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0) return 0;
    int error = WSAGetLastError();
    if (!IsWouldBlock(error) && error != WSAEINPROGRESS) return error;
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval tv = ToTimeval(ms);
    int n = select(0, nullptr, &writable, &failed, &tv);
    if (n == SOCKET_ERROR) return WSAGetLastError();
    if (n == 0) return WSAETIMEDOUT;
    int soError = 0;
    int cb = sizeof soError;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &cb) != 0)
        return WSAGetLastError();
    if (soError != 0) return soError;
    return FD_ISSET(s, &failed) ? WSAECONNREFUSED : 0;
}

}  // namespace

void Tell(LpdConnection& connection, LpdNote note, long number, const char* text) {
    if (connection.observer) connection.observer->Note(note, number, text ? text : "");
}

LpdTimeouts LpdGetTimeouts() {
    return {static_cast<DWORD>(g_connectMs), static_cast<DWORD>(g_idleMs)};
}

void LpdSetTimeouts(const LpdTimeouts& timeouts) {
    InterlockedExchange(&g_connectMs, static_cast<LONG>(timeouts.connectMs));
    InterlockedExchange(&g_idleMs, static_cast<LONG>(timeouts.idleMs));
}

bool LpdStartup(LpdConnection& connection) {
    connection.winsock.emplace(MAKEWORD(1, 1));
    if (!connection.winsock->started()) {
        Tell(connection, LpdNote::kNetworkNotStarted, connection.winsock->result());
        connection.winsock.reset();
        return false;
    }
    if (gethostname(connection.localHostName, sizeof connection.localHostName - 1) != 0) {
        int error = WSAGetLastError();
        Tell(connection, LpdNote::kLocalNameUnknown, error);
        connection.winsock.reset();
        return false;
    }
    connection.localHostName[sizeof connection.localHostName - 1] = '\0';
    return true;
}

int LpdConnect(LpdConnection& connection, const char* host) {
    sockaddr_in remote = {};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(kLpdServerPort);
    remote.sin_addr.s_addr = inet_addr(host);
    if (remote.sin_addr.s_addr == INADDR_NONE) {
        hostent* entry = gethostbyname(host);
        if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0]) {
            Tell(connection, LpdNote::kHostNotFound, 0, host);
            return kLpdHostNotFound;
        }
        size_t cb = entry->h_length > 0 ? static_cast<size_t>(entry->h_length) : 0;
        if (cb > sizeof remote.sin_addr) cb = sizeof remote.sin_addr;
        memcpy(&remote.sin_addr, entry->h_addr_list[0], cb);
    }

    const DWORD connectMs = LpdGetTimeouts().connectMs;
    int attempts = 1;
    int localPort = kHighestLocalPort;
    for (;;) {
        connection.socket.reset(socket(AF_INET, SOCK_STREAM, 0));
        if (!connection.socket) {
            int error = WSAGetLastError();
            Tell(connection, LpdNote::kNoSocket, error);
            return kLpdNoSocket;
        }
        SOCKET s = connection.socket.get();

        // Every send of a job is a whole command or a whole piece of a file
        // (its last piece carrying the end byte), after which the client
        // waits for the server's answer. Held back by Nagle's algorithm, a
        // small send would wait for the acknowledgement of the one before,
        // which the server delays (some 40 ms) while it has nothing to say:
        // a stall on every job, so small sends go at once. Not fatal if
        // refused: the bytes are the same, only slower.
        const BOOL noDelay = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);

        // Bind to the highest free port of the range, on this socket.
        for (;;) {
            sockaddr_in local = {};
            local.sin_family = AF_INET;
            local.sin_addr.s_addr = htonl(INADDR_ANY);
            local.sin_port = htons(static_cast<u_short>(localPort));
            if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0) break;
            int error = WSAGetLastError();
            if (!IsPortBusy(error)) {
                connection.socket.reset();
                Tell(connection, LpdNote::kNoLocalPort, error);
                return kLpdNoLocalPort;
            }
            if (--localPort < kLowestLocalPort) {
                connection.socket.reset();
                Tell(connection, LpdNote::kLocalPortsInUse);
                return kLpdNoLocalPort;
            }
        }

        u_long nonBlocking = 1;
        int error = ioctlsocket(s, FIONBIO, &nonBlocking) == 0 ? ConnectWithin(s, remote, connectMs)
                                                              : WSAGetLastError();
        if (error == 0) {
            connection.broken = false;
            return kLpdConnected;
        }
        connection.socket.reset();

        if (IsPortBusy(error) && localPort >= kLowestLocalPort) {
            // The port is bound but its connection to this server is still
            // remembered (TIME_WAIT): the next port down gives a fresh one.
            // From 221 this is 220, one below the range the bind walk keeps
            // to; a connection refused as busy from 220 ends the walk below.
            --localPort;
            continue;
        }
        if (error == WSAECONNREFUSED) {
            if (attempts > 16) {
                Tell(connection, LpdNote::kConnectionRefused);
                return kLpdConnectFailed;
            }
            attempts *= 2;
            continue;
        }
        Tell(connection, LpdNote::kConnectFailed, error);
        return kLpdConnectFailed;
    }
}

int LpdSend(LpdConnection& connection, const void* bytes, int count) {
    if (count <= 0) return 0;
    SOCKET s = connection.socket.get();
    const char* p = static_cast<const char*>(bytes);
    int sent = 0;
    while (sent < count) {
        int n = send(s, p + sent, count - sent, 0);
        if (n > 0) {
            sent += n;
            continue;
        }
        int error = n == 0 ? WSAEWOULDBLOCK : WSAGetLastError();
        if (IsWouldBlock(error)) error = WaitReady(s, Wait::kWrite, LpdGetTimeouts().idleMs);
        if (error != 0) {
            connection.broken = true;
            Tell(connection, LpdNote::kSendFailed, error);
            return sent;
        }
    }
    return sent;
}

int LpdReceive(LpdConnection& connection, void* buffer, int count) {
    if (count <= 0) return 0;
    SOCKET s = connection.socket.get();
    char* p = static_cast<char*>(buffer);
    int received = 0;
    while (received < count) {
        int n = recv(s, p + received, count - received, 0);
        if (n > 0) {
            received += n;
            continue;
        }
        if (n == 0) {  // the server closed the connection
            connection.broken = true;
            return 0;
        }
        int error = WSAGetLastError();
        if (!IsWouldBlock(error) || WaitReady(s, Wait::kRead, LpdGetTimeouts().idleMs) != 0) {
            connection.broken = true;
            return received;
        }
    }
    return received;
}

int LpdReadAck(LpdConnection& connection, bool showRefusal) {
    signed char ack = 0;
    if (LpdReceive(connection, &ack, 1) != 1) {
        Tell(connection, LpdNote::kNoAnswer);
        return kLpdNoAck;
    }
    if (showRefusal && ack != 0) Tell(connection, LpdNote::kCommandRefused);
    return ack;
}

void LpdCleanup(LpdConnection& connection) {
    connection.socket.reset();
    connection.winsock.reset();
}

}  // namespace zynlpr
