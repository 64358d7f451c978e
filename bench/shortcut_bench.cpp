// shortcut_bench [ITEMS]
// Start-menu folders at scale through zynshell.dll's exports: ITEMS items
// (default 500) added to one folder, that folder listed, then deleted; a tree
// of 100 folders (10 with 9 sub-folders each) created and deleted. Then the
// platform's share of an item: the same number of bare IShellLinkA setter
// rounds, IPersistFile::Save calls and SHChangeNotify calls, timed apart
// from the library. Prints one line per figure.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_clock.h"
#include "bounded.h"
#include "handles.h"
#include "zynshell.h"

namespace {

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Mean(const std::vector<double>& v, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to && i < v.size(); ++i) sum += v[i];
    return to > from ? sum / static_cast<double>(to - from) : 0;
}

const char kCommand[] = "C:\\windows\\notepad.exe";

void AddItems(ZYNPM pm, int items) {
    ZYNFOLDER folder = ZynCreateFolder(pm, "ZynBench Items", ZYN_FOLDER_PROGRAMS);
    if (!folder) {
        printf("ZynCreateFolder failed: %d\n", ZynPMGetLastError(pm));
        return;
    }
    std::vector<double> ms;
    double start = Now();
    for (int i = 0; i < items; ++i) {
        char name[40];
        zyn::BoundedFormat(name, sizeof name, "Item %04d", i);
        double t = Now();
        if (!ZynAddItem(pm, folder, ZYN_ITEM_NAME, kCommand, nullptr, name, nullptr, 0, 0, 0, nullptr, 0, 0))
            printf("ZynAddItem %d failed: %d\n", i, ZynPMGetLastError(pm));
        ms.push_back((Now() - t) * 1000);
    }
    double total = Now() - start;
    size_t tenth = ms.size() / 10;
    printf("ZynAddItem x%d in one folder:   %.2f s (target < 5 s), median %.1f ms, first tenth %.1f ms, "
           "last tenth %.1f ms each\n",
           items, total, Median(ms), Mean(ms, 0, tenth), Mean(ms, ms.size() - tenth, ms.size()));

    start = Now();
    int lines = 0;
    if (ZynListFolderItems(pm, folder)) {
        char line[600];
        while (lines < 100000 && ZynPMReadInfo(pm, line, sizeof line)) ++lines;
    }
    printf("ZynListFolderItems of %d shortcuts: %.0f ms (%d lines handed out; the 5120-byte text holds no more)\n",
           items, (Now() - start) * 1000, lines);

    start = Now();
    int deleted = ZynDeleteFolder(pm, folder);
    printf("ZynDeleteFolder with %d shortcuts: %.0f ms (result %d)\n", items, (Now() - start) * 1000, deleted);
}

void FolderTree(ZYNPM pm) {
    double start = Now();
    int made = 0;
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j <= 9; ++j) {
            char name[80];
            // j == 9 makes the branch itself; 0..8 its sub-folders.
            if (j == 9)
                zyn::BoundedFormat(name, sizeof name, "ZynBench Tree\\Branch %d", i);
            else
                zyn::BoundedFormat(name, sizeof name, "ZynBench Tree\\Branch %d\\Leaf %d", i, j);
            if (ZYNFOLDER f = ZynCreateFolder(pm, name, ZYN_FOLDER_PROGRAMS)) {
                ++made;
                ZynReleaseFolder(pm, f);
            }
        }
    }
    double created = Now() - start;
    start = Now();
    ZYNFOLDER root = ZynGetFolderHandle(pm, "ZynBench Tree", ZYN_FOLDER_PROGRAMS);
    int deleted = root ? ZynDeleteFolder(pm, root) : 0;
    printf("Tree of %d folders (10 x 9 nested): created in %.0f ms, deleted in %.0f ms (result %d)\n", made,
           created * 1000, (Now() - start) * 1000, deleted);
}

// The platform alone: one link object given an item's properties and saved
// under new names, and the change notification the library sends after each
// item; their sum is what ZynAddItem costs without the library's own work.
void PlatformShare(int items) {
    char folder[zyn::kPathSize];
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_PROGRAMS, TRUE)) return;
    zyn::BoundedAppend(folder, sizeof folder, "\\ZynBench Bare");
    CreateDirectoryA(folder, nullptr);
    zyn::ComPtr<IShellLinkA> link;
    zyn::ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put_void())))
        return;
    std::vector<double> setters, save, notify;
    for (int i = 0; i < items; ++i) {
        // The setters ZynAddItem calls for an item with a name.
        char name[40];
        zyn::BoundedFormat(name, sizeof name, "Item %04d", i);
        double t = Now();
        link->SetPath(kCommand);
        link->SetDescription(name);
        link->SetArguments("");
        link->SetIconLocation("", 0);
        link->SetWorkingDirectory("");
        link->SetShowCmd(SW_SHOWNORMAL);
        link->SetHotkey(0);
        setters.push_back((Now() - t) * 1000);
        char path[zyn::kPathSize];
        zyn::BoundedFormat(path, sizeof path, "%s\\Bare %04d.lnk", folder, i);
        WCHAR wide[zyn::kPathSize];
        zyn::AnsiToWide(path, wide, zyn::kPathSize);
        t = Now();
        file->Save(wide, TRUE);
        save.push_back((Now() - t) * 1000);
        t = Now();
        SHChangeNotify(SHCNE_CREATE | SHCNE_UPDATEDIR, SHCNF_PATHA, path, nullptr);
        notify.push_back((Now() - t) * 1000);
    }
    file.reset();
    link.reset();
    double settersSum = 0, saveSum = 0, notifySum = 0;
    for (double v : setters) settersSum += v;
    for (double v : save) saveSum += v;
    for (double v : notify) notifySum += v;
    printf("Bare IShellLinkA setters x%d:    %.2f s, median %.2f ms each\n", items, settersSum / 1000,
           Median(setters));
    printf("Bare IPersistFile::Save x%d:    %.2f s, median %.1f ms each\n", items, saveSum / 1000, Median(save));
    printf("Bare SHChangeNotify x%d:        %.2f s, median %.2f ms each\n", items, notifySum / 1000,
           Median(notify));
    SHFILEOPSTRUCTA op = {};
    char from[zyn::kPathSize + 1] = {};
    zyn::BoundedCopy(from, sizeof from - 1, folder);
    op.wFunc = FO_DELETE;
    op.pFrom = from;
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

}  // namespace

int main(int argc, char** argv) {
    const int items = argc > 1 ? std::max(1, atoi(argv[1])) : 500;
    double start = Now();
    ZYNPM pm = ZynPMInit(0);
    if (!pm) {
        printf("ZynPMInit failed\n");
        return 1;
    }
    printf("ZynPMInit: %.0f ms\n", (Now() - start) * 1000);
    AddItems(pm, items);
    FolderTree(pm);
    ZynPMUninit(pm);

    zyn::ComScope com;
    PlatformShare(items);
    return 0;
}
