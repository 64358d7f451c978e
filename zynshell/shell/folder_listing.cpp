// ListFolder (see folder_listing.h). The search pattern and each entry's
// path are built in kPathSize buffers; an entry whose path does not fit is
// left out of the listing rather than read under a shortened name. One link
// object serves every shortcut of the listing.
#include "shell/folder_listing.h"

#include "handles.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "bounded.h"
#include "model/platform.h"
#include "shell/shell_program_manager.h"

namespace zynshell {

namespace {

// Room for four path-sized fields, the quotes, commas, numbers and CR LF.
constexpr size_t kItemLineSize = 4 * kPathSize + 64;

// Formats the item line of the shortcut in `path`. A file that cannot be
// loaded as a shortcut gives a line of empty fields: the link object would
// otherwise still hold the previous shortcut's properties and report them
// as this entry's. False when the line does not fit (it cannot, with fields
// of at most 259 characters each).
bool FormatItemLine(ShellProgramManager& pm, const char* path, char* line, size_t cbLine) {
    char description[kPathSize] = "";
    char target[kPathSize] = "";
    char workDir[kPathSize] = "";
    char iconPath[kPathSize] = "";
    int iconIndex = 0;
    WORD hotkey = 0;
    int showCmd = SW_SHOWNORMAL;

    // Wine's link object keeps the show command it held before Load instead
    // of taking the file's, so the previous shortcut's would be reported;
    // the default is the honest answer there, and elsewhere Load replaces it.
    pm.shellLink()->SetShowCmd(SW_SHOWNORMAL);
    WCHAR widePath[kPathSize];
    bool loaded = zyn::AnsiToWide(path, widePath, kPathSize) &&
                  SUCCEEDED(pm.persistFile()->Load(widePath, STGM_READ));
    if (loaded) {
        IShellLinkA* link = pm.shellLink();
        if (FAILED(link->GetDescription(description, sizeof description))) description[0] = '\0';
        if (FAILED(link->GetPath(target, sizeof target, nullptr, SLGP_SHORTPATH))) target[0] = '\0';
        if (FAILED(link->GetWorkingDirectory(workDir, sizeof workDir))) workDir[0] = '\0';
        if (FAILED(link->GetIconLocation(iconPath, sizeof iconPath, &iconIndex))) {
            iconPath[0] = '\0';
            iconIndex = 0;
        }
        if (FAILED(link->GetHotkey(&hotkey))) hotkey = 0;
        if (FAILED(link->GetShowCmd(&showCmd))) showCmd = SW_SHOWNORMAL;
        // The getters terminate within their buffers, but make sure.
        description[kPathSize - 1] = target[kPathSize - 1] = '\0';
        workDir[kPathSize - 1] = iconPath[kPathSize - 1] = '\0';
    }
    return zyn::BoundedFormat(line, cbLine, "\"%s\",\"%s\",%s,%s,0,0,%d,%u,%d\r\n", description, target,
                       workDir, iconPath, iconIndex, static_cast<unsigned>(hotkey),
                       showCmd == SW_MINIMIZE ? 1 : 0);
}

bool IsDotEntry(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

}  // namespace

void ListFolder(ShellProgramManager& pm, const char* path, int itemsFlag) {
    pm.BeginInfo();
    char pattern[kPathSize];
    WIN32_FIND_DATAA entry;
    zyn::UniqueFind find;
    if (zyn::BoundedFormat(pattern, sizeof pattern, "%s\\%s", path, itemsFlag ? "*.lnk" : "*.*"))
        find.reset(FindFirstFileA(pattern, &entry));
    if (find) {
        do {
            char line[kItemLineSize];
            if (!itemsFlag) {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotEntry(entry.cFileName))
                    continue;
                if (!zyn::BoundedFormat(line, sizeof line, "%s\r\n", entry.cFileName)) continue;
            } else {
                char entryPath[kPathSize];
                if (!zyn::BoundedFormat(entryPath, sizeof entryPath, "%s\\%s", path, entry.cFileName))
                    continue;
                if (!FormatItemLine(pm, entryPath, line, sizeof line)) continue;
            }
            if (!pm.AppendInfo(line)) break;  // the buffer is full
        } while (FindNextFileA(find.get(), &entry));
    }
    pm.EndInfo();
}

}  // namespace zynshell
