// progman_host: hosts the Program Manager DDE server of the system's shell32
// (ordinal 188, ShellDDEInit) in a process of its own, so that tests and the
// demo have a real "PROGMAN" peer. Under Wine that server keeps its groups as
// Start-menu directories and its items as .lnk files.
//
//   progman_host [--seconds N]   serve until stopped, at most N seconds (120)
//   progman_host --stop          stop a running host and return
//
// The running host signals the event "zynshell progman host ready" once it
// serves; it stops when "zynshell progman host stop" is signalled. Both
// events are named so that a test and a shell script can reach them.
//
// The server opens a folder window for CreateGroup and ShowGroup, each in an
// explorer process of its own that would outlive the host (and hold on to
// the output the host inherited); the host closes the folder windows that
// appeared while it served.
#include "handles.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "progman_host_process.h"

namespace {

using ShellDdeInit = void(WINAPI*)(BOOL);

bool IsFolderWindow(HWND window) {
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    return strcmp(name, "ExplorerWClass") == 0 || strcmp(name, "CabinetWClass") == 0 ||
           strcmp(name, "WINE_EXPLORER") == 0;
}

BOOL CALLBACK CollectFolderWindow(HWND window, LPARAM found) {
    if (IsFolderWindow(window)) reinterpret_cast<std::set<HWND>*>(found)->insert(window);
    return TRUE;
}

std::set<HWND> FolderWindows() {
    std::set<HWND> windows;
    EnumWindows(CollectFolderWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

int Stop() {
    zyn::UniqueKernelHandle stop(OpenEventA(EVENT_MODIFY_STATE, FALSE, zyntest::kProgmanHostStopEvent));
    if (!stop) {
        fprintf(stderr, "progman_host: no host is running\n");
        return 1;
    }
    SetEvent(stop.get());
    return 0;
}

// Pumps the thread's messages (the DDE server's windows live on this thread)
// until the stop event is signalled or the time is up.
void Serve(HANDLE stop, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds) return;
        DWORD r = MsgWaitForMultipleObjects(1, &stop, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1) return;  // stopped, timed out or failed
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    DWORD seconds = 120;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--stop") == 0) return Stop();
        if (strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = static_cast<DWORD>(strtoul(argv[++i], nullptr, 10));
        } else {
            fprintf(stderr, "usage: progman_host [--seconds N] | --stop\n");
            return 2;
        }
    }
    zyn::UniqueKernelHandle stop(CreateEventA(nullptr, TRUE, FALSE, zyntest::kProgmanHostStopEvent));
    zyn::UniqueKernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, zyntest::kProgmanHostReadyEvent));
    if (!stop || !ready) return 1;
    ResetEvent(stop.get());

    CoInitialize(nullptr);
    HMODULE shell32 = LoadLibraryA("shell32.dll");
    auto init = shell32 ? reinterpret_cast<ShellDdeInit>(
                              reinterpret_cast<void*>(GetProcAddress(shell32, MAKEINTRESOURCEA(188))))
                        : nullptr;
    if (!init) {
        fprintf(stderr, "progman_host: shell32 has no ShellDDEInit\n");
        return 1;
    }
    const std::set<HWND> before = FolderWindows();
    init(TRUE);
    SetEvent(ready.get());
    Serve(stop.get(), seconds * 1000);
    ResetEvent(ready.get());
    init(FALSE);
    for (HWND window : FolderWindows())
        if (!before.count(window)) PostMessageA(window, WM_CLOSE, 0, 0);
    CoUninitialize();
    return 0;
}
