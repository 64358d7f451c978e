// CloseFolderWindows: before a folder's directory is removed, its Explorer
// window (titled with the folder's path or with its own name) is minimised.
// Titles are compared on their first n characters, n being the length of the
// sought title, without regard to case; only the first match of each search
// is handled.
//
// Every top-level window is looked at, including hung ones, so nothing here
// waits on another thread without a bound: a title that takes longer than
// kTitleTimeoutMs to read is passed over together with every other window of
// its thread (a hung thread also owns hidden windows, such as its input
// method window), and a window of another thread is minimised by a posted
// request rather than a sent one.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "shell/folder_directory.h"

namespace zynshell {

namespace {

constexpr UINT kTitleTimeoutMs = 500;

struct TitleSearch {
    const char* title;
    int cch;
    std::vector<char> text;  // cch + 1 bytes, so at most cch characters are read
    std::vector<DWORD>* hungThreads;  // threads that did not answer, for both searches
};

// Reads at most cch characters of the window's title into text[cch + 1];
// -1 when its thread does not answer.
int ReadTitle(HWND window, TitleSearch& search) {
    char* text = search.text.data();
    text[0] = '\0';
    DWORD process = 0;
    DWORD thread = GetWindowThreadProcessId(window, &process);
    // Another process's title is read from the window manager, no message sent.
    if (process != GetCurrentProcessId()) return GetWindowTextA(window, text, search.cch + 1);
    std::vector<DWORD>& hung = *search.hungThreads;
    if (std::find(hung.begin(), hung.end(), thread) != hung.end()) return -1;
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, static_cast<WPARAM>(search.cch) + 1,
                             reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kTitleTimeoutMs, &copied)) {
        if (GetLastError() == ERROR_TIMEOUT) hung.push_back(thread);
        return -1;
    }
    text[search.cch] = '\0';
    return static_cast<int>(strlen(text));
}

void Minimise(HWND window) {
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        CloseWindow(window);
    else
        ShowWindowAsync(window, SW_MINIMIZE);
}

// Called from inside EnumWindows: nothing may be thrown through user32's
// frames (the 32-bit unwinder cannot pass them), so a failed allocation of
// the hung-thread list ends the search.
BOOL CALLBACK MinimiseFirstMatch(HWND window, LPARAM param) noexcept {
    try {
        auto* search = reinterpret_cast<TitleSearch*>(param);
        if (ReadTitle(window, *search) != search->cch) return TRUE;
        if (lstrcmpiA(search->text.data(), search->title) != 0) return TRUE;
        Minimise(window);
        return FALSE;
    } catch (...) {
        return FALSE;
    }
}

void MinimiseWindowTitled(const char* title, std::vector<DWORD>& hungThreads) {
    size_t cch = strlen(title);
    if (cch == 0 || cch >= INT_MAX) return;
    TitleSearch search{title, static_cast<int>(cch), std::vector<char>(cch + 1), &hungThreads};
    EnumWindows(MinimiseFirstMatch, reinterpret_cast<LPARAM>(&search));
}

}  // namespace

void CloseFolderWindows(const char* path) {
    std::vector<DWORD> hungThreads;
    MinimiseWindowTitled(path, hungThreads);
    if (const char* last = strrchr(path, '\\')) MinimiseWindowTitled(last + 1, hungThreads);
}

}  // namespace zynshell
