// ZYNLPR.DLL in Wine's real spooler, which winspool runs inside this
// process: installed with AddMonitorW, its ports listed and deleted through
// winspool, ports added and changed through winspool in the dialog of its
// port UI module (worked by a watcher thread), its Xcv commands straight
// through XcvDataW, and a RAW job on a printer of a port added that way
// arriving at an LPD server.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "handles.h"
#include "message_box_watcher.h"
#include "monitor_test_support.h"
#include "port_dialog_driver.h"
#include "scripted_lpd_server.h"
#include "ui/messages.h"
#include "xcv_protocol.h"

namespace {

using montest::Narrow;

WCHAR kMonitor[] = L"ZYN LPR Monitor";
const std::string kTag = "ZYN_Sp" + std::to_string(GetCurrentProcessId());
const std::string kPortA = kTag + "A", kPortB = kTag + "B";
WCHAR kPrinter[] = L"Zyn Spooler Test Printer";

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
std::string PortKey(const std::string& port) { return std::string(montest::kMonitorKey) + "\\Ports\\" + port; }

void WritePortKey(const std::string& port, const char* host, const char* queue) {
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, PortKey(port).c_str(), &key);
    if (host) montest::SetText(key, "HostName", host);
    if (queue) montest::SetText(key, "QueueName", queue);
    RegCloseKey(key);
}

// The ports whose names begin with `prefix` as EnumPortsW reports them:
// name -> "monitor|description|type" (empty at level 1).
std::map<std::string, std::string> SpooledPorts(DWORD level, const std::string& prefix = kTag) {
    DWORD needed = 0, count = 0;
    EnumPortsW(nullptr, level, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::map<std::string, std::string> ports;
    if (!EnumPortsW(nullptr, level, buffer.data(), needed, &needed, &count)) return ports;
    for (DWORD i = 0; i < count; ++i) {
        auto* info1 = reinterpret_cast<PORT_INFO_1W*>(buffer.data()) + i;
        auto* info2 = reinterpret_cast<PORT_INFO_2W*>(buffer.data()) + i;
        std::string name = Narrow(level == 1 ? info1->pName : info2->pPortName);
        if (name.rfind(prefix, 0) != 0) continue;
        ports[name] = level == 1 ? "" : Narrow(info2->pMonitorName) + "|" + Narrow(info2->pDescription) + "|" +
                                            std::to_string(info2->fPortType);
    }
    return ports;
}

class RealSpooler : public ::testing::Test {
protected:
    const std::string dllPath = montest::ExeDir() + "ZYNLPR.DLL";

    void SetUp() override {
        Clean();
        WritePortKey(kPortA, "printhost", "raw");  // before the install, as installers may
        WritePortKey(kPortB, nullptr, nullptr);
        std::wstring path = Wide(dllPath);
        MONITOR_INFO_2W info = {kMonitor, nullptr, &path[0]};
        ASSERT_TRUE(AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&info))) << GetLastError();
    }
    void TearDown() override {
        PRINTER_DEFAULTSW admin = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        if (OpenPrinterW(kPrinter, &printer, &admin)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
        Clean();
    }
    static void Clean() {
        DeleteMonitorW(nullptr, nullptr, kMonitor);
        montest::DeleteTree(HKEY_LOCAL_MACHINE, montest::kMonitorKey);
    }
};

TEST_F(RealSpooler, ListsTheMonitorAndFollowsItsPortsThroughWinspool) {
    DWORD needed = 0, count = 0;
    EnumMonitorsW(nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> monitors(needed);
    ASSERT_TRUE(EnumMonitorsW(nullptr, 2, monitors.data(), needed, &needed, &count));
    std::string listedDll;
    for (DWORD i = 0; i < count; ++i) {
        auto* m = reinterpret_cast<MONITOR_INFO_2W*>(monitors.data()) + i;
        if (Narrow(m->pName) == "ZYN LPR Monitor") listedDll = Narrow(m->pDLLName);
    }
    EXPECT_EQ(dllPath, listedDll);

    // A port written after the install shows too; a deleted one goes with its key.
    const std::string portC = kTag + "C";
    WritePortKey(portC, "10.1.2.3", "lp");
    const std::map<std::string, std::string> level1 = {{kPortA, ""}, {kPortB, ""}, {portC, ""}};
    const std::map<std::string, std::string> level2 = {
        {kPortA, "ZYN LPR Monitor|\\\\printhost\\raw|1"},
        {kPortB, "ZYN LPR Monitor|LPR port (not configured)|1"},
        {portC, "ZYN LPR Monitor|\\\\10.1.2.3\\lp|1"}};
    EXPECT_EQ(level1, SpooledPorts(1));
    EXPECT_EQ(level2, SpooledPorts(2));

    std::wstring b = Wide(kPortB);
    ASSERT_TRUE(DeletePortW(nullptr, nullptr, &b[0])) << GetLastError();
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, PortKey(kPortB).c_str(), &key));
    auto left = level2;
    left.erase(kPortB);
    EXPECT_EQ(left, SpooledPorts(2));
}

// The six values of a port's key, "|"-separated; "<none>" for one missing.
std::string StoredValues(const std::string& port) {
    std::string all;
    for (const char* value : {"HostName", "QueueName", "TimeOut", "Seqno", "DoLpq", "DoGrace"}) {
        char buf[300] = {};
        DWORD cb = sizeof buf - 1;
        bool read = RegGetValueA(HKEY_LOCAL_MACHINE, PortKey(port).c_str(), value, RRF_RT_REG_SZ, nullptr, buf,
                                 &cb) == ERROR_SUCCESS;
        all += (all.empty() ? "" : "|") + (read ? std::string(buf) : "<none>");
    }
    return all;
}

DWORD PortKeyCount() {
    HKEY key = nullptr;
    DWORD count = 0;
    RegOpenKeyA(HKEY_LOCAL_MACHINE, (std::string(montest::kMonitorKey) + "\\Ports").c_str(), &key);
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return count;
}

// The rows run in order: the port the accepted AddPortW made is the one the
// ConfigurePortW rows work on. The dialog must come up owned by the window
// the caller gave winspool, a configure dialog must show what is stored, a
// failed check must be told over the dialog, and only an accept may write.
TEST_F(RealSpooler, AddPortWAndConfigurePortWStoreWhatTheirDialogAccepts) {
    static HMODULE nls = LoadLibraryA((montest::ExeDir() + "zynlpr.nls").c_str());
    ASSERT_TRUE(nls && zynlpr::LoadMessageTable(nls));
    zyn::UniqueWindow window(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    const HWND owner = window.get();
    struct Case {
        const char* what;
        bool configure;
        const char *host, *queue;  // typed into the dialog; null leaves the field as shown
        int button;
        UINT message;  // of the failed check, 0 for none
        BOOL returned;
        DWORD error;
        const char *stored, *listed;  // the port's values and description after; null: no port made
    } cases[] = {
        {"add, cancelled", false, "h", "q", IDCANCEL, 0, FALSE, ERROR_CANCELLED, nullptr, nullptr},
        {"add, no host", false, "", "q", IDOK, 8007, FALSE, ERROR_CANCELLED, nullptr, nullptr},
        {"add", false, "newhost", "lp", IDOK, 0, TRUE, 0, "newhost|lp|300|0|1|1", "\\\\newhost\\lp"},
        {"configure, new queue", true, nullptr, "raw", IDOK, 0, TRUE, 0, "newhost|raw|300|0|1|1",
         "\\\\newhost\\raw"},
        {"configure, no host", true, "", nullptr, IDOK, 8007, FALSE, ERROR_CANCELLED, "newhost|raw|300|0|1|1",
         "\\\\newhost\\raw"},
        {"configure, cancelled", true, "other", nullptr, IDCANCEL, 0, FALSE, ERROR_CANCELLED,
         "newhost|raw|300|0|1|1", "\\\\newhost\\raw"},
    };
    std::string port;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DWORD keys = PortKeyCount();
        const std::string before = c.configure ? StoredValues(port) : "";
        std::string shown;
        HWND ownedBy = nullptr, dialog = nullptr;
        bool fromUiModule = false;
        MessageBoxWatcher boxes(IDOK, 0, montest::IsPortDialog);
        montest::DialogScript script([&](montest::PortDialog& d) {
            ownedBy = GetWindow(d.w, GW_OWNER);
            fromUiModule = GetModuleHandleA("zynlprui.dll") != nullptr;
            shown = d.Text(301) + "|" + d.Text(1006) + "|" + d.Text(1005) + "|" + d.Text(1008) + "|" +
                    d.Text(1007) + "|" + (d.Checked(1009) ? "1|" : "0|") + (d.Checked(1012) ? "1" : "0");
            d.SetText(1003, "alice");  // the default, the prefix's "root", is refused
            if (c.host) d.SetText(1006, c.host);
            if (c.queue) d.SetText(1005, c.queue);
            d.Click(c.button);
            dialog = IsWindowVisible(d.w) ? d.w : nullptr;
        });
        std::wstring target = Wide(port);
        SetLastError(0xdeadbeef);
        BOOL ok = c.configure ? ConfigurePortW(nullptr, owner, &target[0]) : AddPortW(nullptr, owner, kMonitor);
        DWORD error = GetLastError();
        ASSERT_TRUE(script.Shown());
        EXPECT_TRUE(fromUiModule) << "the dialog came up without the port UI module";
        EXPECT_EQ(owner, ownedBy);
        EXPECT_EQ(c.returned, ok);
        if (!ok) {
            EXPECT_EQ(c.error, error);
        }
        if (c.configure) {
            EXPECT_EQ(port + "|" + before, shown);
        }
        ASSERT_EQ(c.message ? 1u : 0u, boxes.Count());
        if (c.message) {
            EXPECT_EQ(zynlpr::MessageText(c.message), boxes.Seen()[0].text);
            EXPECT_EQ(dialog, boxes.Seen()[0].owner);
            EXPECT_NE(nullptr, dialog);
        }
        if (!c.stored) {
            EXPECT_EQ(keys, PortKeyCount());
            continue;
        }
        if (!c.configure) port = shown.substr(0, shown.find('|'));
        EXPECT_EQ(keys + !c.configure, PortKeyCount());
        EXPECT_EQ(c.stored, StoredValues(port));
        const std::map<std::string, std::string> listed = {{port, "ZYN LPR Monitor|" + std::string(c.listed) + "|1"}};
        EXPECT_EQ(listed, SpooledPorts(2, port));
    }
}

std::vector<BYTE> WideBytes(const std::string& text) {
    std::wstring w = Wide(text);
    std::vector<BYTE> b((w.size() + 1) * sizeof(WCHAR));
    memcpy(b.data(), w.c_str(), b.size());
    return b;
}

std::vector<BYTE> ValuesBytes(const std::string& port, const char* host, const char* queue) {
    zynxcv::ZynXcvPortValues v = {};
    v.cbSize = sizeof v;
    v.layout = zynxcv::kZynXcvLayout;
    for (size_t i = 0; i < port.size(); ++i) v.portName[i] = WCHAR(port[i]);
    for (size_t i = 0; host[i]; ++i) v.hostName[i] = WCHAR(host[i]);
    for (size_t i = 0; queue[i]; ++i) v.queueName[i] = WCHAR(queue[i]);
    v.timeOut = 300;
    v.doLpq = v.doGrace = 1;
    std::vector<BYTE> b(sizeof v);
    memcpy(b.data(), &v, sizeof v);
    return b;
}

// What Wine's spooler does with the Xcv commands: OpenPrinter on
// ",XcvMonitor NAME" opens the monitor's Xcv handle with the access asked
// for as the granted one, XcvDataW hands each command to XcvDataPort with
// the caller's buffers and gives back its status and size as they are.
TEST_F(RealSpooler, XcvCommandsReachTheMonitorThroughWinspool) {
    WCHAR object[] = L",XcvMonitor ZYN LPR Monitor";
    PRINTER_DEFAULTSW administer = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    PRINTER_DEFAULTSW enumerate = {nullptr, nullptr, SERVER_ACCESS_ENUMERATE};
    zyn::UniquePrinter admin, user;
    ASSERT_TRUE(OpenPrinterW(object, admin.put(), &administer)) << GetLastError();
    ASSERT_TRUE(OpenPrinterW(object, user.put(), &enumerate)) << GetLastError();
    const std::string portX = kTag + "X";
    struct Row {
        const char* what;
        const wchar_t* command;
        bool admin;
        std::vector<BYTE> input;
        DWORD outSize, status, needed;
        const char* stored;  // of portX after the row; null: no key
    } rows[] = {
        {"ui module", L"MonitorUI", false, {}, 100, ERROR_SUCCESS, 26, nullptr},
        {"ui module, short", L"MonitorUI", false, {}, 10, ERROR_INSUFFICIENT_BUFFER, 26, nullptr},
        {"layout", L"ZynLayout", false, {}, 4, ERROR_SUCCESS, 4, nullptr},
        {"first free", L"ZynFirstFreeName", false, {}, 200, ERROR_SUCCESS, 26, nullptr},
        {"hosts", L"ZynHostList", false, {}, 200, ERROR_SUCCESS, 22, nullptr},
        {"exists", L"ZynPortExists", false, WideBytes(kPortA), 4, ERROR_SUCCESS, 4, nullptr},
        {"get", L"ZynGetPort", false, WideBytes(kPortA), 2000, ERROR_SUCCESS, sizeof(zynxcv::ZynXcvPortValues),
         nullptr},
        {"add, no right", L"ZynAddPort", false, ValuesBytes(portX, "h", "q"), 0, ERROR_ACCESS_DENIED, 0, nullptr},
        {"add", L"ZynAddPort", true, ValuesBytes(portX, "h", "q"), 0, ERROR_SUCCESS, 0, "h|q|300|0|1|1"},
        {"set, a name for a record", L"ZynSetPort", true, WideBytes(portX), 0, ERROR_REVISION_MISMATCH, 0,
         "h|q|300|0|1|1"},
        {"set", L"ZynSetPort", true, ValuesBytes(portX, "h2", "q2"), 0, ERROR_SUCCESS, 0, "h2|q2|300|0|1|1"},
        {"delete, no right", L"ZynDeletePort", false, WideBytes(portX), 0, ERROR_ACCESS_DENIED, 0, "h2|q2|300|0|1|1"},
        {"delete", L"ZynDeletePort", true, WideBytes(portX), 0, ERROR_SUCCESS, 0, nullptr},
        {"delete, gone", L"ZynDeletePort", true, WideBytes(portX), 0, ERROR_UNKNOWN_PORT, 0, nullptr},
        {"unknown", L"ZynNoSuch", true, {}, 0, ERROR_INVALID_PARAMETER, 0, nullptr},
    };
    for (Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::vector<BYTE> out(r.outSize + 1);
        DWORD needed = 0xdeadbeef, status = 0xdeadbeef;
        EXPECT_TRUE(XcvDataW(r.admin ? admin.get() : user.get(), r.command, r.input.empty() ? nullptr : r.input.data(),
                             DWORD(r.input.size()), out.data(), r.outSize, &needed, &status));
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.needed, needed);
        EXPECT_EQ(r.stored ? r.stored : "<none>|<none>|<none>|<none>|<none>|<none>", StoredValues(portX));
    }
    // Without a place for the size Wine refuses the call itself.
    DWORD status = 0xdeadbeef;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(XcvDataW(admin.get(), L"ZynLayout", nullptr, 0, nullptr, 0, nullptr, &status));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(0xdeadbeefu, status);
}

// A UI module paired with a monitor of another layout says so over the
// caller's window and asks the monitor nothing more: no dialog, no record.
TEST_F(RealSpooler, TheUiModuleRefusesAMonitorOfAnotherLayout) {
    WCHAR other[] = L"Zyn Other Layout";
    std::wstring dll = Wide(montest::ExeDir() + "zyn_other_layout_monitor.dll");
    MONITOR_INFO_2W info = {other, nullptr, &dll[0]};
    ASSERT_TRUE(AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&info))) << GetLastError();
    zyn::ScopeExit remove([&] { DeleteMonitorW(nullptr, nullptr, other); });
    zyn::UniqueWindow window(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    MessageBoxWatcher boxes(IDOK, 0, montest::IsPortDialog);
    montest::DialogScript script([](montest::PortDialog&) {}, 3000);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(AddPortW(nullptr, window.get(), other));
    EXPECT_EQ(DWORD(ERROR_REVISION_MISMATCH), GetLastError());
    EXPECT_FALSE(script.Shown());
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ(window.get(), boxes.Seen()[0].owner);
    EXPECT_NE(std::string::npos, boxes.Seen()[0].text.find("(layout 1)")) << boxes.Seen()[0].text;
    EXPECT_NE(std::string::npos, boxes.Seen()[0].text.find("(layout 2)")) << boxes.Seen()[0].text;
    using Count = LONG(WINAPI*)();
    auto count = reinterpret_cast<Count>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("zyn_other_layout_monitor.dll"), "OtherLayoutCommands")));
    ASSERT_NE(nullptr, count);
    EXPECT_EQ(0, count());
}

// lprinstall add-port asks winspool from a process of its own, without an
// owner window; its exit code tells whether a port was made.
TEST_F(RealSpooler, LprinstallAddPortMakesAPortOnlyWhenItsDialogIsAccepted) {
    for (int button : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(button);
        const DWORD keys = PortKeyCount();
        std::string command = "\"" + montest::ExeDir() + "lprinstall.exe\" add-port";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        zyn::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
        montest::PortDialog d{montest::WaitForPortDialog(10000, nullptr, pi.dwProcessId)};
        const std::string port = d.w ? d.Text(301) : "";
        if (d.w) {
            d.SetText(1003, "alice");
            d.SetText(1006, "lprhost");
            d.SetText(1005, "q");
            d.Click(button);
        }
        DWORD code = 99;
        if (WaitForSingleObject(process.get(), 20000) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
        else TerminateProcess(process.get(), code);
        EXPECT_FALSE(port.empty());
        EXPECT_EQ(button == IDOK ? 0u : 1u, code);
        EXPECT_EQ(keys + (button == IDOK), PortKeyCount());
        if (button == IDOK) {
            EXPECT_EQ("lprhost|q|300|0|1|1", StoredValues(port));
        }
    }
}

// Adds the printer on `port` with Wine's PostScript driver.
HANDLE AddTestPrinter(const std::string& port = kPortA) {
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(L"Wine PostScript Driver");
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPWSTR>(L"wineps.drv");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES)) return nullptr;
    std::wstring portName = Wide(port);
    PRINTER_INFO_2W info = {};
    info.pPrinterName = kPrinter;
    info.pPortName = &portName[0];
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<LPWSTR>(L"WinPrint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    return AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
}

// Wine's spooler loads the monitor through InitializePrintMonitor2: a job the
// server refuses must bring up no window. What Wine's queue then holds is
// printed for the record (its SetJob may ignore the monitor's calls).
TEST_F(RealSpooler, ARefusedJobShowsNoWindowAndWhatTheQueueHoldsIsRecorded) {
    lpdtest::ScriptedLpdServer server;
    ASSERT_TRUE(server.Listening());
    server.Script({lpdtest::Answer::RefuseText("queue disabled")});
    WritePortKey(kPortA, server.Address().c_str(), "raw");
    HANDLE printer = AddTestPrinter();
    ASSERT_NE(nullptr, printer) << GetLastError();
    MessageBoxWatcher boxes(IDOK);
    DOC_INFO_1W doc = {const_cast<LPWSTR>(L"refused doc"), nullptr, const_cast<LPWSTR>(L"RAW")};
    DWORD job = StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&doc));
    ASSERT_NE(0u, job) << GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(WritePrinter(printer, const_cast<char*>("refused data"), 13, &written));
    EXPECT_TRUE(EndDocPrinter(printer)) << GetLastError();
    EXPECT_TRUE(server.WaitClosed(1, 20000));
    EXPECT_EQ(0u, boxes.Count()) << boxes.Seen().at(0).text;

    // What the queue holds, through a handle of its own.
    HANDLE reader = nullptr;
    ASSERT_TRUE(OpenPrinterW(kPrinter, &reader, nullptr));
    DWORD needed = 0, count = 0;
    EnumJobsW(reader, 0, 100, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!EnumJobsW(reader, 0, 100, 1, buffer.data(), needed, &needed, &count)) count = 0;
    printf("Wine's queue after the refused job %lu: %lu job(s)\n", job, count);
    for (DWORD i = 0; i < count; ++i) {
        auto* info = reinterpret_cast<JOB_INFO_1W*>(buffer.data()) + i;
        printf("  job %lu \"%s\": status 0x%lx, status text \"%s\"\n", info->JobId, Narrow(info->pDocument).c_str(),
               info->Status, info->pStatus ? Narrow(info->pStatus).c_str() : "(none)");
    }
    ClosePrinter(reader);
    ClosePrinter(printer);
}

TEST_F(RealSpooler, ARawJobOnAPortAddedThroughAddPortWReachesTheLpdServerByteForByte) {
    lpdtest::ScriptedLpdServer server;
    ASSERT_TRUE(server.Listening());
    // The port is added as an administrator would: AddPortW, the UI module's dialog.
    std::string added;
    {
        montest::DialogScript script([&](montest::PortDialog& d) {
            added = d.Text(301);
            d.SetText(1003, "alice");
            d.SetText(1006, server.Address());
            d.SetText(1005, "raw");
            d.Click(IDOK);
        });
        ASSERT_TRUE(AddPortW(nullptr, nullptr, kMonitor)) << GetLastError();
    }
    const std::map<std::string, std::string> listed = {
        {added, "ZYN LPR Monitor|\\\\" + server.Address() + "\\raw|1"}};
    ASSERT_EQ(listed, SpooledPorts(2, added));
    HANDLE printer = AddTestPrinter(added);
    ASSERT_NE(nullptr, printer) << GetLastError();
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> got(needed);
    ASSERT_TRUE(GetPrinterW(printer, 2, got.data(), needed, &needed));
    EXPECT_EQ(added, Narrow(reinterpret_cast<PRINTER_INFO_2W*>(got.data())->pPortName));

    // Every byte value, more than one block of the print processor.
    std::string data = "%!raw job\n";
    for (int i = 0; i < 9000; ++i) data.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
    DOC_INFO_1W doc = {const_cast<LPWSTR>(L"spooled doc"), nullptr, const_cast<LPWSTR>(L"RAW")};
    ASSERT_NE(0u, StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&doc))) << GetLastError();
    for (size_t off = 0; off < data.size(); off += 3000) {
        DWORD written = 0, cb = DWORD(std::min<size_t>(3000, data.size() - off));
        ASSERT_TRUE(WritePrinter(printer, &data[off], cb, &written));
    }
    ASSERT_TRUE(EndDocPrinter(printer)) << GetLastError();
    ClosePrinter(printer);

    ASSERT_TRUE(server.WaitClosed(1, 20000)) << "the job did not reach the LPD server";
    std::string received, control;
    const auto connections = server.Connections();
    for (const auto& f : connections.at(0).files) (f.kind == 3 ? received : control) = f.contents;
    EXPECT_TRUE(received == data) << received.size() << " of " << data.size() << " bytes";
    EXPECT_NE(std::string::npos, control.find("Nspooled doc\n")) << control;
}

}  // namespace
