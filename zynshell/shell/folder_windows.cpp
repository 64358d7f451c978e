// CloseFolderWindows: before a folder's directory is removed, its Explorer
// window (titled with the folder's path or with its own name) is minimised.
// Titles are compared on their first n characters, n being the length of the
// sought title, without regard to case; only the first match of each search
// is handled.
#include <windows.h>

#include <climits>
#include <cstring>
#include <vector>

#include "shell/folder_directory.h"

namespace zynshell {

namespace {

struct TitleSearch {
    const char* title;
    int cch;
    std::vector<char> text;  // cch + 1 bytes, so at most cch characters are read
};

BOOL CALLBACK MinimiseFirstMatch(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    int read = GetWindowTextA(window, search->text.data(), search->cch + 1);
    if (read != search->cch) return TRUE;
    search->text[search->cch] = '\0';
    if (lstrcmpiA(search->text.data(), search->title) != 0) return TRUE;
    CloseWindow(window);
    return FALSE;
}

void MinimiseWindowTitled(const char* title) {
    size_t cch = strlen(title);
    if (cch == 0 || cch >= INT_MAX) return;
    TitleSearch search{title, static_cast<int>(cch), std::vector<char>(cch + 1)};
    EnumWindows(MinimiseFirstMatch, reinterpret_cast<LPARAM>(&search));
}

}  // namespace

void CloseFolderWindows(const char* path) {
    MinimiseWindowTitled(path);
    if (const char* last = strrchr(path, '\\')) MinimiseWindowTitled(last + 1);
}

}  // namespace zynshell
