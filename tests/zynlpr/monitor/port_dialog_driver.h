// Works the real port-settings dialog from a thread of the test, the way an
// administrator would: finds it, reads and fills its controls, presses its
// buttons. The dialog runs modally on the thread that called AddPort or
// ConfigurePort; every message sent to it is bounded in time.
//
// Message boxes that the dialog shows are answered by a MessageBoxWatcher
// built with IsPortDialog as its ignore predicate.
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

class PortDialog {
public:
    explicit PortDialog(HWND w) : dialog_(w) {}
    HWND Window() const { return dialog_; }
    bool IsOpen() const { return IsWindow(dialog_) && IsWindowVisible(dialog_); }

    LRESULT Send(int id, UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(GetDlgItem(dialog_, id), msg, wp, lp, SMTO_NORMAL, 10000, &result))
            return -1;
        return static_cast<LRESULT>(result);
    }
    std::string Text(int id) const {
        char buf[1024] = {};
        Send(id, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
        return buf;
    }
    void SetText(int id, const std::string& text) const {
        Send(id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    bool Checked(int id) const { return Send(id, BM_GETCHECK) == BST_CHECKED; }
    void Click(int id) const { Send(id, BM_CLICK); }
    std::vector<std::string> HostList() const {
        std::vector<std::string> hosts;
        LRESULT n = Send(1006, CB_GETCOUNT);
        for (LRESULT i = 0; i < n && i < 1000; ++i) {
            char buf[300] = {};
            Send(1006, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
            hosts.push_back(buf);
        }
        return hosts;
    }
    int HostSelection() const { return static_cast<int>(Send(1006, CB_GETCURSEL)); }
    // Id of the control that holds the focus (the combo box for its edit field).
    int Focus() const {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog_, nullptr), &info)) return 0;
        HWND w = info.hwndFocus;
        while (w && GetParent(w) != dialog_) w = GetParent(w);
        return w ? GetDlgCtrlID(w) : 0;
    }

private:
    HWND dialog_;
};

// The first visible port-settings dialog of this process not in `except`;
// null after timeoutMs.
inline HWND WaitForPortDialog(DWORD timeoutMs, const std::vector<HWND>& except = {}) {
    struct Scan {
        const std::vector<HWND>* except;
        HWND found;
    } scan{&except, nullptr};
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        EnumWindows([](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Scan*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || !IsPortDialog(w)) return TRUE;
            for (HWND e : *s->except)
                if (e == w) return TRUE;
            s->found = w;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&scan));
        if (scan.found) return scan.found;
        Sleep(10);
    }
    return nullptr;
}

// Runs `script` on a thread of its own against the next port dialog. A
// dialog that the script leaves open is cancelled, so the entry under test
// always returns. shown() tells whether a dialog came up at all.
class DialogScript {
public:
    explicit DialogScript(std::function<void(PortDialog&)> script, DWORD waitMs = 10000)
        : thread_([this, script, waitMs] {
              HWND w = WaitForPortDialog(waitMs);
              if (!w) return;
              shown_ = true;
              PortDialog dialog(w);
              script(dialog);
              for (int i = 0; i < 500 && IsWindow(w); ++i) {
                  if (i % 100 == 0) PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
                  Sleep(10);
              }
          }) {}
    ~DialogScript() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    bool shown() {
        Join();
        return shown_;
    }

private:
    bool shown_ = false;
    std::thread thread_;
};

}  // namespace montest
