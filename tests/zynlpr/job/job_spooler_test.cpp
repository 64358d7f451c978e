// The spooler's side of a job, as far as Wine's spooler goes: a printer
// made with Wine's PostScript driver, a job added to its queue, and the job
// deleted from the queue by EndDocPort through the printer StartDocPort
// opened (Wine's spooler ignores the deletion itself). Also the printer's
// time-outs read from PRINTER_INFO_5.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lpd_test_support.h"
#include "message_box_watcher.h"
#include "monitor/monitor_entries.h"
#include "ports/port_list.h"
#include "scripted_lpd_server.h"

using namespace zynlpr;

namespace {

const char kPrinter[] = "Zyn Job Test Printer";

// Adds the printer (and Wine's PostScript driver); deletes the printer after.
class TestPrinter {
public:
    TestPrinter() {
        DRIVER_INFO_3A driver = {};
        driver.cVersion = 3;
        driver.pName = const_cast<LPSTR>("Wine PostScript Driver");
        driver.pDriverPath = const_cast<LPSTR>("wineps.drv");
        driver.pDataFile = const_cast<LPSTR>("wineps.drv");
        driver.pConfigFile = const_cast<LPSTR>("wineps.drv");
        if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver), APD_COPY_NEW_FILES))
            driverError = GetLastError();
        PRINTER_INFO_2A info = {};
        info.pPrinterName = const_cast<LPSTR>(kPrinter);
        info.pPortName = const_cast<LPSTR>("FILE:");
        info.pDriverName = const_cast<LPSTR>("Wine PostScript Driver");
        info.pPrintProcessor = const_cast<LPSTR>("WinPrint");
        info.pDatatype = const_cast<LPSTR>("RAW");
        handle = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
        if (!handle) {
            addError = GetLastError();
            if (addError == ERROR_PRINTER_ALREADY_EXISTS) OpenPrinterA(const_cast<LPSTR>(kPrinter), &handle, nullptr);
        }
    }
    ~TestPrinter() {
        if (handle) {
            HANDLE admin = nullptr;
            PRINTER_DEFAULTSA d = {nullptr, nullptr, PRINTER_ALL_ACCESS};
            if (OpenPrinterA(const_cast<LPSTR>(kPrinter), &admin, &d)) {
                DeletePrinter(admin);
                ClosePrinter(admin);
            }
            ClosePrinter(handle);
        }
    }
    HANDLE handle = nullptr;
    DWORD driverError = 0, addError = 0;
};

// Whether the printer's queue holds the job (Wine's spooler answers GetJob
// for the jobs it made with AddJob).
bool JobQueued(HANDLE printer, DWORD jobId) {
    std::vector<BYTE> buf(4096);
    DWORD needed = 0;
    return GetJobA(printer, jobId, 1, buf.data(), DWORD(buf.size()), &needed) != FALSE;
}

TEST(JobSpooler, EndDocPortDeletesTheSpoolerJob) {
    ASSERT_TRUE(lpdtest::InitMonitorForTests());
    EnsureMonitorLock();
    TestPrinter printer;
    if (!printer.handle)
        GTEST_SKIP() << "Wine's spooler could not add a printer (driver error " << printer.driverError
                     << ", AddPrinter error " << printer.addError << ")";

    // The printer's time-outs as StartDocPort reads them.
    DWORD needed = 0;
    GetPrinterA(printer.handle, 5, nullptr, 0, &needed);
    ASSERT_GT(needed, 0u);
    std::vector<BYTE> buf(needed);
    ASSERT_TRUE(GetPrinterA(printer.handle, 5, buf.data(), needed, &needed));
    auto* info5 = reinterpret_cast<PRINTER_INFO_5A*>(buf.data());

    // A job in the printer's queue, as the spooler would have it.
    std::vector<BYTE> add(1024);
    ASSERT_TRUE(AddJobA(printer.handle, 1, add.data(), DWORD(add.size()), &needed)) << GetLastError();
    DWORD jobId = reinterpret_cast<ADDJOB_INFO_1A*>(add.data())->JobId;
    ASSERT_TRUE(JobQueued(printer.handle, jobId)) << GetLastError();

    lpdtest::ScriptedLpdServer server;
    lpdtest::DeleteTestKeys();
    lpdtest::WritePort("ZYN_SpoolerJob", server.Address().c_str(), "raw");
    {
        MonitorLockGuard lock;
        ReloadPorts();
    }
    HANDLE h = nullptr;
    ASSERT_TRUE(LprOpenPort(const_cast<LPWSTR>(L"ZYN_SpoolerJob"), &h));
    auto* port = static_cast<LprPort*>(h);
    std::wstring wideName(kPrinter, kPrinter + strlen(kPrinter));
    DOC_INFO_1W doc = {const_cast<LPWSTR>(L"queued"), nullptr, nullptr};
    ASSERT_TRUE(LprStartDocPort(h, &wideName[0], jobId, 1, reinterpret_cast<LPBYTE>(&doc)));
    EXPECT_NE(nullptr, port->Printer());
    EXPECT_EQ(info5->TransmissionRetryTimeout, port->transmissionRetryTimeout);
    EXPECT_EQ(info5->DeviceNotSelectedTimeout, port->deviceNotSelectedTimeout);
    printf("Wine reports time-outs: transmission retry %lu ms, device not selected %lu ms\n",
           info5->TransmissionRetryTimeout, info5->DeviceNotSelectedTimeout);
    DWORD written = 0;
    ASSERT_TRUE(LprWritePort(h, reinterpret_cast<LPBYTE>(const_cast<char*>("%!PS\n")), 5, &written));
    ASSERT_TRUE(LprEndDocPort(h));
    EXPECT_EQ(nullptr, port->Printer());
    // Wine's spooler ignores JOB_CONTROL_DELETE (localspl's fpSetJob takes
    // only the document title), so the job's removal can't be observed
    // here; that the printer StartDocPort opened was used and closed is.
    if (JobQueued(printer.handle, jobId))
        printf("note: job %lu still queued: Wine's SetJob ignores JOB_CONTROL_DELETE\n", jobId);
    EXPECT_TRUE(server.WaitClosed(1, 10000));
    LprClosePort(h);
    MonitorLockGuard lock;
    lpdtest::DeleteTestKeys();
    ReloadPorts();
}

// A job the server refuses: EndDocPort asks Wine's spooler to keep it (level
// 1 status in error with the reason, then a pause). The job must still be in
// the queue; what Wine made of the status and the pause is printed.
TEST(JobSpooler, ARefusedJobStaysInWinesQueue) {
    ASSERT_TRUE(lpdtest::InitMonitorForTests());
    EnsureMonitorLock();
    TestPrinter printer;
    if (!printer.handle) GTEST_SKIP() << "Wine's spooler could not add a printer";
    std::vector<BYTE> add(1024);
    DWORD needed = 0;
    ASSERT_TRUE(AddJobA(printer.handle, 1, add.data(), DWORD(add.size()), &needed)) << GetLastError();
    DWORD jobId = reinterpret_cast<ADDJOB_INFO_1A*>(add.data())->JobId;

    lpdtest::ScriptedLpdServer server;
    server.Script({lpdtest::Answer::RefuseText("queue disabled")});
    lpdtest::DeleteTestKeys();
    lpdtest::WritePort("ZYN_SpoolerRefused", server.Address().c_str(), "raw");
    {
        MonitorLockGuard lock;
        ReloadPorts();
    }
    HANDLE h = nullptr;
    ASSERT_TRUE(LprOpenPort(const_cast<LPWSTR>(L"ZYN_SpoolerRefused"), &h));
    std::wstring wideName(kPrinter, kPrinter + strlen(kPrinter));
    DOC_INFO_1W doc = {const_cast<LPWSTR>(L"refused"), nullptr, nullptr};
    ASSERT_TRUE(LprStartDocPort(h, &wideName[0], jobId, 1, reinterpret_cast<LPBYTE>(&doc)));
    DWORD written = 0;
    ASSERT_TRUE(LprWritePort(h, reinterpret_cast<LPBYTE>(const_cast<char*>("%!PS\n")), 5, &written));
    {
        MessageBoxWatcher boxes(IDOK);
        ASSERT_TRUE(LprEndDocPort(h));
        EXPECT_GE(boxes.Count(), 1u);
    }
    EXPECT_TRUE(JobQueued(printer.handle, jobId)) << "the refused job left the queue";
    std::vector<BYTE> buf(4096);
    if (GetJobA(printer.handle, jobId, 1, buf.data(), DWORD(buf.size()), &needed)) {
        auto* info = reinterpret_cast<JOB_INFO_1A*>(buf.data());
        printf("Wine keeps the refused job %lu: status 0x%lx (error bit %s, paused bit %s), status text \"%s\"\n",
               jobId, info->Status, (info->Status & JOB_STATUS_ERROR) ? "set" : "not set",
               (info->Status & JOB_STATUS_PAUSED) ? "set" : "not set", info->pStatus ? info->pStatus : "(none)");
    }
    SetJobA(printer.handle, jobId, 0, nullptr, JOB_CONTROL_DELETE);
    LprClosePort(h);
    MonitorLockGuard lock;
    lpdtest::DeleteTestKeys();
    ReloadPorts();
}

}  // namespace
