// Works the real port-settings dialog from a thread of the test as an
// administrator would: finds it, reads and fills its controls, presses its
// buttons. The dialog runs modally on the thread inside AddPort or
// ConfigurePort; every message sent to it is bounded in time. Its message
// boxes are answered by a MessageBoxWatcher that ignores IsPortDialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace montest {

inline bool IsPortDialog(HWND w) {
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    return strcmp(cls, "#32770") == 0 && GetDlgItem(w, 1006) != nullptr;
}

struct PortDialog {
    HWND w;
    LRESULT Send(int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        DWORD_PTR r = 0;
        return SendMessageTimeoutA(GetDlgItem(w, id), msg, wp, lp, SMTO_NORMAL, 10000, &r) ? LRESULT(r) : -1;
    }
    std::string Text(int id) const {
        char buf[1024] = {};
        Send(id, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
        return buf;
    }
    void SetText(int id, const std::string& t) const { Send(id, WM_SETTEXT, 0, LPARAM(t.c_str())); }
    bool Checked(int id) const { return Send(id, BM_GETCHECK) == BST_CHECKED; }
    void Click(int id) const { Send(id, BM_CLICK); }
    // Id of the control holding the focus (the combo box for its edit field).
    int Focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info)) return 0;
        HWND f = info.hwndFocus;
        while (f && GetParent(f) != w) f = GetParent(f);
        return f ? GetDlgCtrlID(f) : 0;
    }
};

struct PortDialogScan { HWND except, found; DWORD pid; };

inline BOOL CALLBACK FindPortDialog(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<PortDialogScan*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == s->pid && w != s->except && IsWindowVisible(w) && IsPortDialog(w))
        s->found = w;
    return !s->found;
}

// The first visible port dialog of process `pid` (this one by default)
// other than `except`.
inline HWND WaitForPortDialog(DWORD timeoutMs, HWND except = nullptr, DWORD pid = GetCurrentProcessId()) {
    PortDialogScan scan{except, nullptr, pid};
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(10)) {
        EnumWindows(FindPortDialog, reinterpret_cast<LPARAM>(&scan));
        if (scan.found) return scan.found;
    }
    return nullptr;
}

// Runs `script` on a thread of its own against the next port dialog; a
// dialog left open is cancelled, so the entry under test always returns.
class DialogScript {
public:
    explicit DialogScript(std::function<void(PortDialog&)> script, DWORD waitMs = 10000)
        : thread_([this, script, waitMs] {
              PortDialog d{WaitForPortDialog(waitMs)};
              if (!(shown_ = d.w != nullptr)) return;
              script(d);
              for (int i = 0; i < 500 && IsWindow(d.w); ++i, Sleep(10))
                  if (i % 100 == 0) PostMessageA(d.w, WM_COMMAND, IDCANCEL, 0);
          }) {}
    ~DialogScript() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    bool Shown() {
        Join();
        return shown_;
    }

private:
    bool shown_ = false;
    std::thread thread_;
};

}  // namespace montest
