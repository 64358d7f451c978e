// MessageBoxWatcher: finds the message boxes that a process shows, records
// them in order and answers each one, so tests can drive code that shows
// real message boxes (Wine's user32 makes them real windows, even with the
// headless display driver).
//
// A message box is a visible top-level window of the dialog class "#32770"
// belonging to the watched process (the test's own by default). The watcher
// thread polls every 10 ms, reads the caption and the text (the static
// control that is not an icon), recovers what it can of the style, and
// answers by posting WM_COMMAND with the chosen button id. Style recovery:
//   - MB_SYSTEMMODAL / MB_TOPMOST  -> the window is WS_EX_TOPMOST
//   - icon: the icon control's STM_GETICON compared with the shared system
//     icons LoadIcon(NULL, IDI_HAND / IDI_QUESTION / IDI_EXCLAMATION /
//     IDI_ASTERISK), giving MB_ICONERROR / ... / MB_ICONINFORMATION; in a
//     box of another process any icon reads as MB_USERICON (Wine's icon
//     handles are per process)
// so SeenBox::style holds MB_SYSTEMMODAL (when topmost) | the icon bits.
// Dialogs of the same class that a test works itself (the port-settings
// dialog) are passed over through the `ignore` predicate.
// Header-only.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenBox {
    std::string caption;
    std::string text;
    UINT style = 0;     // MB_SYSTEMMODAL (if topmost) | MB_ICON* recovered
    HWND owner = nullptr;
    DWORD thread = 0;   // the thread that shows the box
};

class MessageBoxWatcher {
public:
    // answer: the button id posted to every box (IDOK, IDCANCEL, IDYES...).
    // processId: the process whose boxes are watched; 0 = this process.
    // ignore: windows for which it answers true are neither recorded nor answered.
    explicit MessageBoxWatcher(int answer = IDOK, DWORD processId = 0, bool (*ignore)(HWND) = nullptr)
        : answer_(answer), pid_(processId ? processId : GetCurrentProcessId()), ignore_(ignore) {
        thread_ = std::thread([this] { Run(); });
    }
    ~MessageBoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Watch another process from now on (e.g. a child started after the watcher).
    void SetProcessId(DWORD processId) { pid_ = processId; }

    std::vector<SeenBox> Seen() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }
    size_t Count() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_.size();
    }
    // For long runs that measure memory: room for n records made at once,
    // and the records dropped (the room stays).
    void Reserve(size_t n) {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.reserve(n);
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.clear();
    }
    // Boxes shown by one thread: a box is recorded before it is answered, so
    // once the showing call has returned its boxes are all counted.
    size_t CountForThread(DWORD threadId) const {
        std::lock_guard<std::mutex> lock(mutex_);
        return static_cast<size_t>(std::count_if(seen_.begin(), seen_.end(),
                                                 [=](const SeenBox& b) { return b.thread == threadId; }));
    }
    // True once at least n boxes were seen; false after timeoutMs.
    bool WaitForCount(size_t n, DWORD timeoutMs) const {
        DWORD start = GetTickCount();
        while (Count() < n) {
            if (GetTickCount() - start >= timeoutMs) return false;
            Sleep(10);
        }
        return true;
    }

private:
    static std::string WindowText(HWND w) {
        char buf[2048] = {};
        GetWindowTextA(w, buf, sizeof buf);
        return buf;
    }
    static bool IsClass(HWND w, const char* name) {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        return lstrcmpiA(cls, name) == 0;
    }

    static UINT IconStyle(HICON icon) {
        if (!icon) return 0;
        struct { LPCSTR id; UINT style; } icons[] = {
            {IDI_HAND, MB_ICONERROR}, {IDI_QUESTION, MB_ICONQUESTION},
            {IDI_EXCLAMATION, MB_ICONWARNING}, {IDI_ASTERISK, MB_ICONINFORMATION}};
        for (auto& i : icons)
            if (LoadIconA(nullptr, i.id) == icon) return i.style;
        return MB_USERICON;
    }

    static SeenBox Read(HWND box) {
        SeenBox seen;
        seen.caption = WindowText(box);
        seen.owner = GetWindow(box, GW_OWNER);
        seen.thread = GetWindowThreadProcessId(box, nullptr);
        if (GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) seen.style |= MB_SYSTEMMODAL;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (!IsClass(c, "Static")) continue;
            LONG_PTR s = GetWindowLongPtrA(c, GWL_STYLE);
            if ((s & SS_TYPEMASK) == SS_ICON) {
                seen.style |= IconStyle(reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0)));
            } else {
                std::string t = WindowText(c);
                if (!t.empty() && seen.text.empty()) seen.text = t;
            }
        }
        return seen;
    }

    struct Scan {
        DWORD pid;
        std::vector<HWND> boxes;
    };
    static BOOL CALLBACK Collect(HWND w, LPARAM p) {
        auto* scan = reinterpret_cast<Scan*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == scan->pid && IsWindowVisible(w) && IsClass(w, "#32770"))
            scan->boxes.push_back(w);
        return TRUE;
    }

    void Run() {
        std::vector<HWND> answered;
        while (!stop_) {
            Scan scan{pid_.load(), {}};
            EnumWindows(Collect, reinterpret_cast<LPARAM>(&scan));
            // Forget boxes that are gone, so a reused handle counts again.
            answered.erase(std::remove_if(answered.begin(), answered.end(),
                                          [](HWND w) { return !IsWindow(w); }),
                           answered.end());
            for (HWND box : scan.boxes) {
                if (ignore_ && ignore_(box)) continue;
                if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
                SeenBox seen = Read(box);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    seen_.push_back(seen);
                }
                answered.push_back(box);
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
            }
            Sleep(10);
        }
    }

    int answer_;
    std::atomic<DWORD> pid_;
    bool (*ignore_)(HWND);
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<SeenBox> seen_;
    std::thread thread_;
};
