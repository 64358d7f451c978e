// The connection layer against a scripted server on loopback: the local
// port range, refusals, acknowledgements, and the bounds of every wait.
#include "lpd/lpd_connection.h"

#include <gtest/gtest.h>
#include <message_box_watcher.h>

#include <vector>

#include "job/job_messages.h"
#include "lpd_test_support.h"
#include "scripted_lpd_server.h"

using namespace zynlpr;
using lpdtest::Answer;
using lpdtest::ExpectedText;
using lpdtest::ScriptedLpdServer;

namespace {

class LpdConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lpdtest::InitMonitorForTests());
        connection.observer = &messages;  // the client's notes as the monitor shows them
        ASSERT_TRUE(LpdStartup(connection));
        saved = LpdGetTimeouts();
    }
    void TearDown() override {
        LpdCleanup(connection);
        LpdSetTimeouts(saved);
    }
    void ExpectBoxes(const MessageBoxWatcher& watcher, const std::vector<std::string>& texts) {
        ASSERT_TRUE(watcher.WaitForCount(texts.size(), 5000));
        Sleep(100);  // nothing more follows
        auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), texts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(seen[i].caption, lpdtest::Caption());
            EXPECT_EQ(seen[i].text, texts[i]);
            EXPECT_EQ(seen[i].style, kErrorBoxStyle);
        }
    }
    JobMessages messages;
    LpdConnection connection;
    LpdTimeouts saved{};
};

// Holds local ports by listening on them, as another service would.
std::vector<zyn::UniqueSocket> HoldPorts(int from, int to) {
    std::vector<zyn::UniqueSocket> held;
    for (int port = from; port >= to; --port) {
        zyn::UniqueSocket s(socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<u_short>(port));
        if (bind(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && listen(s.get(), 1) == 0)
            held.push_back(std::move(s));
    }
    return held;
}

}  // namespace

TEST_F(LpdConnectionTest, ConnectsFromAReservedPortToPort515) {
    ScriptedLpdServer server;
    ASSERT_TRUE(server.Listening());
    EXPECT_NE(connection.localHostName[0], '\0');
    ASSERT_EQ(LpdConnect(connection, server.Address().c_str()), kLpdConnected);
    // Small sends go at once, not after the server's delayed acknowledgement.
    BOOL noDelay = FALSE;
    int cb = sizeof noDelay;
    ASSERT_EQ(getsockopt(connection.socket.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<char*>(&noDelay), &cb),
              0);
    EXPECT_TRUE(noDelay);
    const char command[] = "\x02q\n";
    EXPECT_EQ(LpdSend(connection, command, 3), 3);
    EXPECT_EQ(LpdReadAck(connection, true), 0);
    LpdCleanup(connection);
    ASSERT_TRUE(server.WaitClosed(1, 5000));
    auto c = server.Connections();
    EXPECT_EQ(c[0].bytes, "\x02q\n");
    EXPECT_GE(c[0].peerPort, kLowestLocalPort);
    EXPECT_LE(c[0].peerPort, kHighestLocalPort);
}

TEST_F(LpdConnectionTest, HostNameIsLookedUp) {
    ScriptedLpdServer server("127.0.0.1");
    if (!server.Listening()) GTEST_SKIP() << "127.0.0.1:515 is taken";
    ASSERT_EQ(LpdConnect(connection, "localhost"), kLpdConnected);
    LpdCleanup(connection);
    EXPECT_TRUE(server.WaitClosed(1, 5000));
}

TEST_F(LpdConnectionTest, PortsInUseAreSkippedInDescendingOrder) {
    ScriptedLpdServer server;
    ASSERT_TRUE(server.Listening());
    auto held = HoldPorts(731, 725);
    ASSERT_EQ(held.size(), 7u);
    ASSERT_EQ(LpdConnect(connection, server.Address().c_str()), kLpdConnected);
    LpdCleanup(connection);
    ASSERT_TRUE(server.WaitClosed(1, 5000));
    EXPECT_EQ(server.Connections()[0].peerPort, 724);
}

TEST_F(LpdConnectionTest, PortWithAConnectionToTheSameServerIsSkipped) {
    // Port 731 is bound, and already connected to the server. Wine refuses
    // a second bind of it with 10048 (the holder's SO_REUSEADDR does not
    // let a socket without it share the port), so this takes the bind walk;
    // the busy-connect branch (10048/10049 from connect) is not reached from
    // a test program here, since Linux lets a bound port reuse a TIME_WAIT
    // connection on loopback.
    ScriptedLpdServer server;
    ASSERT_TRUE(server.Listening());
    zyn::UniqueSocket holder(socket(AF_INET, SOCK_STREAM, 0));
    BOOL on = TRUE;
    setsockopt(holder.get(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(731);
    ASSERT_EQ(bind(holder.get(), reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    sockaddr_in remote = {};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(515);
    remote.sin_addr.s_addr = inet_addr(server.Address().c_str());
    ASSERT_EQ(connect(holder.get(), reinterpret_cast<sockaddr*>(&remote), sizeof remote), 0);

    ASSERT_EQ(LpdConnect(connection, server.Address().c_str()), kLpdConnected);
    LpdCleanup(connection);
    holder.reset();
    ASSERT_TRUE(server.WaitClosed(2, 5000));
    auto c = server.Connections();
    EXPECT_EQ(c[0].peerPort, 731);
    EXPECT_EQ(c[1].peerPort, 730);
}

// A socket bound to `port` and connected to the server: the port can be
// neither bound nor listened on by anyone else while it lives.
zyn::UniqueSocket ConnectFromPort(int port, const std::string& server) {
    zyn::UniqueSocket s(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<u_short>(port));
    sockaddr_in remote = {};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(515);
    remote.sin_addr.s_addr = inet_addr(server.c_str());
    if (bind(s.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        connect(s.get(), reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0)
        s.reset();
    return s;
}

TEST_F(LpdConnectionTest, LocalPortWalkEndsAt221) {
    // With 731..222 taken the connection comes from 221; with 221 taken too
    // the walk ends with message 8027. (A port that can't be held by
    // listening, e.g. one with a connection of an earlier test in TIME_WAIT,
    // is held by a connection to the server instead.)
    ScriptedLpdServer server;
    ASSERT_TRUE(server.Listening());
    std::vector<zyn::UniqueSocket> held;
    size_t connections = 0;  // made to the server by this test
    for (int port = 731; port >= 222; --port) {
        auto listening = HoldPorts(port, port);
        if (!listening.empty()) {
            held.push_back(std::move(listening[0]));
            continue;
        }
        zyn::UniqueSocket connected = ConnectFromPort(port, server.Address());
        if (connected) {
            ++connections;
            held.push_back(std::move(connected));
            continue;
        }
        // Neither: the port is taken already (515, by the server itself).
        zyn::UniqueSocket probe(socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<u_short>(port));
        ASSERT_NE(bind(probe.get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0) << port;
    }
    {
        MessageBoxWatcher watcher;
        ASSERT_EQ(LpdConnect(connection, server.Address().c_str()), kLpdConnected);
        LpdCleanup(connection);
        ExpectBoxes(watcher, {});
    }
    for (int i = 0; i < 50 && server.Connections().size() <= connections; ++i) Sleep(100);
    ASSERT_EQ(server.Connections().size(), connections + 1);
    EXPECT_EQ(server.Connections().back().peerPort, 221);

    auto held221 = HoldPorts(221, 221);
    ASSERT_EQ(held221.size(), 1u);
    MessageBoxWatcher watcher;
    EXPECT_EQ(LpdConnect(connection, server.Address().c_str()), kLpdNoLocalPort);
    EXPECT_FALSE(connection.socket);
    ExpectBoxes(watcher, {ExpectedText(8027)});
}

TEST_F(LpdConnectionTest, FailuresToConnectShowTheirMessage) {
    {
        MessageBoxWatcher watcher;
        ScriptedLpdServer server;  // bound, then closed: connections are refused
        server.StopListening();
        EXPECT_EQ(LpdConnect(connection, server.Address().c_str()), kLpdConnectFailed);
        EXPECT_FALSE(connection.socket);
        ExpectBoxes(watcher, {ExpectedText(8024)});
    }
    {
        MessageBoxWatcher watcher;
        EXPECT_EQ(LpdConnect(connection, "no-such-host.invalid"), kLpdHostNotFound);
        ExpectBoxes(watcher, {ExpectedText(8023, "no-such-host.invalid")});
    }
}

TEST_F(LpdConnectionTest, AcknowledgementsAreSignedAndRefusalsShown) {
    ScriptedLpdServer server;
    server.Script({Answer::Refuse(0xFF)});
    ASSERT_EQ(LpdConnect(connection, server.Address().c_str()), kLpdConnected);
    MessageBoxWatcher watcher;
    EXPECT_EQ(LpdSend(connection, "\x02q\n", 3), 3);
    EXPECT_EQ(LpdReadAck(connection, true), -1);
    ExpectBoxes(watcher, {ExpectedText(8018)});
}

TEST_F(LpdConnectionTest, ClosedConnectionGivesNoAck) {
    ScriptedLpdServer server;
    server.Script({Answer::Close()});
    ASSERT_EQ(LpdConnect(connection, server.Address().c_str()), kLpdConnected);
    MessageBoxWatcher watcher;
    EXPECT_EQ(LpdSend(connection, nullptr, 0), 0);
    EXPECT_EQ(LpdSend(connection, "\x02q\n", 3), 3);
    EXPECT_EQ(LpdReadAck(connection, false), kLpdNoAck);
    ExpectBoxes(watcher, {ExpectedText(8017)});
}

TEST_F(LpdConnectionTest, SilentServerIsGivenUpAfterTheIdleTimeOut) {
    LpdSetTimeouts({2000, 500});
    ScriptedLpdServer server;
    server.Script({Answer::Silent()});
    ASSERT_EQ(LpdConnect(connection, server.Address().c_str()), kLpdConnected);
    MessageBoxWatcher watcher;
    EXPECT_EQ(LpdSend(connection, "\x02q\n", 3), 3);
    DWORD start = GetTickCount();
    EXPECT_EQ(LpdReadAck(connection, true), kLpdNoAck);
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 400u);
    EXPECT_LT(waited, 3000u);
    ExpectBoxes(watcher, {ExpectedText(8017)});
}

TEST_F(LpdConnectionTest, ServerThatStopsReadingEndsASendAfterTheIdleTimeOut) {
    LpdSetTimeouts({2000, 500});
    // A listener that never accepts: the system completes the connection,
    // nobody reads, the buffers fill up.
    std::string address = lpdtest::NextLoopbackAddress();
    zyn::UniqueSocket listener(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(515);
    a.sin_addr.s_addr = inet_addr(address.c_str());
    ASSERT_EQ(bind(listener.get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(listener.get(), 1), 0);
    ASSERT_EQ(LpdConnect(connection, address.c_str()), kLpdConnected);

    MessageBoxWatcher watcher;
    std::string big(64 << 20, 'x');
    DWORD start = GetTickCount();
    int sent = LpdSend(connection, big.data(), static_cast<int>(big.size()));
    EXPECT_LT(sent, static_cast<int>(big.size()));
    EXPECT_LT(GetTickCount() - start, 20000u);
    ExpectBoxes(watcher, {ExpectedText(8016, WSAETIMEDOUT)});
}
