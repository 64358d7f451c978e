// progman_host.exe, which hosts Wine's Program Manager DDE server, and the
// names of the events through which the programs that start it learn that
// it is ready and tell it to stop.
#pragma once

#include <windows.h>

#include <string>

#include "handles.h"

namespace zyntest {

constexpr char kProgmanHostReadyEvent[] = "zynshell progman host ready";
constexpr char kProgmanHostStopEvent[] = "zynshell progman host stop";

// Starts progman_host.exe from this program's folder and waits (bounded)
// until it serves; stops it (bounded, then terminates it) when destroyed.
// Its output goes to NUL: the server opens folder windows in processes of
// their own that inherit it, and they must not hold a caller's pipe open.
class ProgmanHostProcess {
public:
    explicit ProgmanHostProcess(int seconds, DWORD readyWaitMs = 30000, DWORD stopWaitMs = 15000)
        : stopWaitMs_(stopWaitMs) {
        ready_.reset(CreateEventA(nullptr, TRUE, FALSE, kProgmanHostReadyEvent));
        stop_.reset(CreateEventA(nullptr, TRUE, FALSE, kProgmanHostStopEvent));
        ResetEvent(ready_.get());
        ResetEvent(stop_.get());
        char self[MAX_PATH];
        const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
        if (length == 0 || length >= sizeof self) return;
        std::string exe = self;
        exe = exe.substr(0, exe.find_last_of('\\') + 1) + "progman_host.exe";
        std::string commandLine = "\"" + exe + "\" --seconds " + std::to_string(seconds);
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        zyn::UniqueFile nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        &inherit, OPEN_EXISTING, 0, nullptr));
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul.get();
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
            return;
        host_.reset(pi.hProcess);
        CloseHandle(pi.hThread);
        ready_ok_ = WaitForSingleObject(ready_.get(), readyWaitMs) == WAIT_OBJECT_0;
    }
    ~ProgmanHostProcess() {
        if (!host_) return;
        SetEvent(stop_.get());
        if (WaitForSingleObject(host_.get(), stopWaitMs_) != WAIT_OBJECT_0) TerminateProcess(host_.get(), 1);
    }
    ProgmanHostProcess(const ProgmanHostProcess&) = delete;
    ProgmanHostProcess& operator=(const ProgmanHostProcess&) = delete;

    bool Ready() const { return ready_ok_; }

private:
    DWORD stopWaitMs_;
    bool ready_ok_ = false;
    zyn::UniqueKernelHandle ready_, stop_, host_;
};

}  // namespace zyntest
