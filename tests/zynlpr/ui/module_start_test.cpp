// Module start against Wine's real registry and loader: where the message
// module is looked for, the sibling program's paths, a message module that is
// missing or incomplete, and the real ZYNLPR.DLL loaded and initialised the
// way the spooler does it.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <string>

#include "message_box_watcher.h"
#include "monitor_test_support.h"
#include "ui/message_ids.h"
#include "ui/messages.h"
#include "ui/module_start.h"
#include "ui/module_state.h"

using namespace zynlpr;

namespace {

using montest::ExeDir;
using montest::kMonitorKey;

std::string ModulePath(HMODULE m) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(m, path, sizeof path);
    return path;
}

// A fresh directory under the temp folder; removed with its files.
class TempDir {
public:
    explicit TempDir(const char* tag) {
        char tmp[MAX_PATH];
        GetTempPathA(sizeof tmp, tmp);
        path_ = std::string(tmp) + "zynmon_" + tag + "_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempDir() {
        WIN32_FIND_DATAA fd;
        HANDLE f = FindFirstFileA((path_ + "\\*").c_str(), &fd);
        if (f != INVALID_HANDLE_VALUE) {
            do DeleteFileA((path_ + "\\" + fd.cFileName).c_str());
            while (FindNextFileA(f, &fd));
            FindClose(f);
        }
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& Path() const { return path_; }
    void Copy(const std::string& from, const char* name) const {
        CopyFileA(from.c_str(), (path_ + "\\" + name).c_str(), FALSE);
    }

private:
    std::string path_;
};

// Sets Driver and LPR_Path of the real monitor key for one test and puts
// the key back as it was.
class MonitorKeyValues {
public:
    MonitorKeyValues() {
        existed_ = RegOpenKeyA(HKEY_LOCAL_MACHINE, kMonitorKey, &key_) == ERROR_SUCCESS;
        if (!existed_) RegCreateKeyA(HKEY_LOCAL_MACHINE, kMonitorKey, &key_);
        Save("Driver", &driver_, &hadDriver_);
        Save("LPR_Path", &lprPath_, &hadLprPath_);
    }
    ~MonitorKeyValues() {
        Restore("Driver", driver_, hadDriver_);
        Restore("LPR_Path", lprPath_, hadLprPath_);
        RegCloseKey(key_);
        if (!existed_) montest::DeleteTree(HKEY_LOCAL_MACHINE, kMonitorKey);
    }
    void Set(const char* name, const std::string& value) { montest::SetText(key_, name, value.c_str()); }
    void Unset(const char* name) { RegDeleteValueA(key_, name); }

private:
    void Save(const char* name, std::string* value, bool* had) {
        char buf[600] = {};
        DWORD cb = sizeof buf - 1;
        *had = RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &cb) == ERROR_SUCCESS;
        *value = buf;
    }
    void Restore(const char* name, const std::string& value, bool had) {
        if (had) Set(name, value);
        else Unset(name);
    }
    HKEY key_ = nullptr;
    bool existed_ = false, hadDriver_ = false, hadLprPath_ = false;
    std::string driver_, lprPath_;
};

class ModuleStartTest : public ::testing::Test {
protected:
    MonitorKeyValues values;
    HMODULE strings = LoadLibraryExA((ExeDir() + "ZYNLPR.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    void SetUp() override { ASSERT_NE(nullptr, strings); }
    void TearDown() override { FreeLibrary(strings); }
};

TEST_F(ModuleStartTest, DriverDirectoryHoldsTheMessageModuleAndLprPathTheProgram) {
    TempDir dir("driverdir");
    dir.Copy(ExeDir() + "zynlpr.nls", "zynlpr.nls");
    values.Set("Driver", dir.Path() + "\\mon.dll");
    values.Set("LPR_Path", "D:\\tools");
    MessageBoxWatcher watcher;
    ASSERT_TRUE(StartModule(strings));
    EXPECT_EQ(0u, watcher.Count());
    EXPECT_STREQ("System\\CurrentControlSet\\Control\\Print\\Monitors\\ZYN LPR Monitor\\Ports", g_module.portsKeyPath);
    EXPECT_STREQ(kMonitorKey, g_module.monitorKeyPath);
    EXPECT_EQ(lstrcmpiA((dir.Path() + "\\zynlpr.nls").c_str(), ModulePath(g_module.messageModule).c_str()), 0)
        << ModulePath(g_module.messageModule);
    EXPECT_STREQ("D:\\tools\\TOLV.HLP", g_module.helpFilePath);
    EXPECT_STREQ("D:\\tools\\TOLV.EXE", g_module.programPath);
    EXPECT_STREQ("ZYN LPR Monitor", g_module.monitorName);
    EXPECT_STRNE("", g_module.defaultDescription);
    EXPECT_EQ(RegisterWindowMessageA("LPR_MESSAGE"), g_module.lprMessage);
    EXPECT_TRUE(MessageTableComplete());
    FreeLibrary(g_module.messageModule);
}

TEST_F(ModuleStartTest, WithoutLprPathTheProgramIsLookedForBesideTheMonitor) {
    values.Set("Driver", ExeDir() + "ZYNLPR.DLL");
    values.Unset("LPR_Path");
    ASSERT_TRUE(StartModule(strings));
    EXPECT_EQ(ExeDir() + "\\TOLV.HLP", g_module.helpFilePath);  // two backslashes, accepted by the file system
    EXPECT_EQ(ExeDir() + "\\TOLV.EXE", g_module.programPath);
}

TEST_F(ModuleStartTest, DriverWithoutBackslashOrMissingLoadsTheBareName) {
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        if (variant == 0) values.Set("Driver", "zynlpr.dll");
        if (variant == 1) values.Set("Driver", "");
        if (variant == 2) values.Unset("Driver");
        values.Unset("LPR_Path");
        ASSERT_TRUE(StartModule(strings));
        // The bare name is found beside the program (first place searched).
        EXPECT_EQ(lstrcmpiA((ExeDir() + "zynlpr.nls").c_str(), ModulePath(g_module.messageModule).c_str()), 0)
            << ModulePath(g_module.messageModule);
        EXPECT_STREQ("\\TOLV.EXE", g_module.programPath);
    }
}

TEST_F(ModuleStartTest, MissingMessageModuleShowsTheBoxAndFails) {
    TempDir dir("nonls");
    values.Set("Driver", dir.Path() + "\\mon.dll");
    MessageBoxWatcher watcher(IDOK);
    EXPECT_FALSE(StartModule(strings));
    ASSERT_EQ(1u, watcher.Count());
    SeenBox box = watcher.Seen()[0];
    EXPECT_EQ("Can't Load Resources... ", box.text);
    EXPECT_EQ("Tolvane", box.caption);
    EXPECT_EQ(UINT(MB_ICONERROR), box.style);
    EXPECT_EQ(nullptr, box.owner);
}

TEST_F(ModuleStartTest, MessageModuleLackingOneTextFailsSilently) {
    std::string testNls = ExeDir() + "..\\testdata\\missing8007\\zynlpr.nls";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(testNls.c_str())) << testNls;
    TempDir dir("missing8007");
    dir.Copy(testNls, "zynlpr.nls");
    values.Set("Driver", dir.Path() + "\\mon.dll");
    MessageBoxWatcher watcher;
    EXPECT_FALSE(StartModule(strings));
    Sleep(100);
    EXPECT_EQ(0u, watcher.Count());
}

TEST(MessageTable, PreloadedTextsAndTheFallback) {
    HMODULE nls = LoadLibraryExA((ExeDir() + "zynlpr.nls").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(LoadMessageTable(nls));
    EXPECT_STREQ("LPR Port Monitor", MessageText(8000));
    EXPECT_STRNE("Missing Resource String.", MessageText(8013));
    EXPECT_STREQ("Missing Resource String.", MessageText(7999));
    EXPECT_STREQ("Missing Resource String.", MessageText(8014));
    for (UINT id = 8000; id <= 8013; ++id) EXPECT_STRNE("", MessageText(id)) << id;
}

// Texts with an argument carry exactly the placeholder their caller formats.
INT_PTR CALLBACK IdleDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(MessageModule, PlaceholdersAndDialogTemplates) {
    HMODULE nls = LoadLibraryA((ExeDir() + "zynlpr.nls").c_str());
    ASSERT_NE(nullptr, nls);
    struct { UINT id; const char* placeholder; } args[] = {
        {8003, "%s"}, {8015, "%s"}, {8016, "%d"}, {8019, "%d"}, {8022, "%s"}, {8023, "%s"},
        {8025, "%d"}, {8026, "%d"}, {8028, "%d"}, {8029, "%d"}, {8030, "%d"}};
    for (auto& a : args) {
        char text[260] = {};
        ASSERT_GT(LoadStringA(nls, a.id, text, sizeof text), 0) << a.id;
        const char* first = strchr(text, '%');
        ASSERT_NE(nullptr, first) << a.id;
        EXPECT_EQ(0, strncmp(first, a.placeholder, 2)) << a.id << ": " << text;
        EXPECT_EQ(nullptr, strchr(first + 1, '%')) << a.id << ": " << text;
    }
    for (UINT id : {503u, 8014u, 8017u, 8018u, 8020u, 8021u, 8024u, 8027u, 8031u, 8125u, 8126u}) {
        char text[260] = {};
        EXPECT_GT(LoadStringA(nls, id, text, sizeof text), 0) << id;
        EXPECT_EQ(nullptr, strchr(text, '%')) << id;
    }
    // Both port dialogs build, with every control the dialog procedure uses.
    for (int templateId : {200, 300}) {
        HWND dialog = CreateDialogParamA(nls, MAKEINTRESOURCEA(templateId), nullptr, IdleDialogProc, 0);
        ASSERT_NE(nullptr, dialog) << templateId;
        for (int control : {301, 1003, 1005, 1006, 1007, 1008, 1009, 1010, 1012, IDOK, IDCANCEL})
            EXPECT_NE(nullptr, GetDlgItem(dialog, control)) << templateId << "/" << control;
        char cls[32] = {};
        GetClassNameA(GetDlgItem(dialog, 1006), cls, sizeof cls);
        EXPECT_STREQ("ComboBox", cls);
        DestroyWindow(dialog);
    }
}

// --- The real ZYNLPR.DLL, loaded as the spooler loads it --------------------

TEST(RealMonitor, LoadsInitialisesAndFillsTwelveSlots) {
    MonitorKeyValues values;
    TempDir dir("real");
    dir.Copy(ExeDir() + "ZYNLPR.DLL", "ZYNLPR.DLL");
    dir.Copy(ExeDir() + "zynlpr.nls", "zynlpr.nls");
    values.Set("Driver", dir.Path() + "\\ZYNLPR.DLL");
    values.Set("LPR_Path", "C:\\tolv");
    std::string portKey = std::string(kMonitorKey) + "\\Ports\\ZYN_RealTest";
    HKEY k = nullptr;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, portKey.c_str(), &k);
    montest::SetText(k, "HostName", "printhost");
    montest::SetText(k, "QueueName", "raw");
    RegCloseKey(k);

    HMODULE monitor = LoadLibraryA((dir.Path() + "\\ZYNLPR.DLL").c_str());
    ASSERT_NE(nullptr, monitor) << GetLastError();
    using InitFn = BOOL(WINAPI*)(LPWSTR, LPMONITOR);
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(monitor, "InitializeMonitorEx")));
    ASSERT_NE(nullptr, init);
    MONITOR table;
    memset(&table, 0xAB, sizeof table);
    EXPECT_TRUE(init(nullptr, &table));
    void** slots = reinterpret_cast<void**>(&table);
    for (int slot = 1; slot <= 14; ++slot) {
        if (slot == 3 || slot == 10)
            EXPECT_EQ(nullptr, slots[slot - 1]) << slot;
        else
            EXPECT_NE(nullptr, slots[slot - 1]) << slot;
    }
    EXPECT_NE(nullptr, GetProcAddress(monitor, "DllMain"));

    DWORD needed = 0, returned = 0;
    std::vector<BYTE> buf(4096);
    ASSERT_TRUE(table.pfnEnumPorts(nullptr, 2, buf.data(), DWORD(buf.size()), &needed, &returned));
    bool found = false;
    for (DWORD i = 0; i < returned; ++i) {
        auto* info = reinterpret_cast<PORT_INFO_2W*>(buf.data()) + i;
        if (montest::Narrow(info->pPortName) == "ZYN_RealTest") {
            found = true;
            EXPECT_EQ("ZYN LPR Monitor", montest::Narrow(info->pMonitorName));
            EXPECT_EQ("\\\\printhost\\raw", montest::Narrow(info->pDescription));
        }
    }
    EXPECT_TRUE(found);
    HANDLE h = nullptr;
    EXPECT_TRUE(table.pfnOpenPort(const_cast<LPWSTR>(L"ZYN_RealTest:"), &h));
    EXPECT_TRUE(table.pfnClosePort(h));
    {
        MessageBoxWatcher cancel(IDCANCEL);  // answers the port-settings dialog
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(table.pfnAddPort(nullptr, nullptr, nullptr));
        EXPECT_EQ(DWORD(ERROR_CANCELLED), GetLastError());
        EXPECT_EQ(1u, cancel.Count());
    }
    EXPECT_TRUE(table.pfnDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"ZYN_RealTest")));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, portKey.c_str(), &k));
    // The monitor stays loaded, as under the spooler (and its message module
    // is never freed).
}

// The box of a missing message module comes up inside DllMain, under the
// loader lock; it is watched from outside, in a spooler stand-in process
// (lprhost) that loads the monitor through the Driver value.
TEST(RealMonitor, MissingMessageModuleFailsTheLoadAfterTheBox) {
    MonitorKeyValues values;
    TempDir dir("realnonls");
    dir.Copy(ExeDir() + "ZYNLPR.DLL", "ZYNLPR.DLL");
    values.Set("Driver", dir.Path() + "\\ZYNLPR.DLL");
    MessageBoxWatcher watcher(IDOK, 0xFFFFFFFF);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string cmd = "\"" + ExeDir() + "lprhost.exe\" list";
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &si, &pi));
    watcher.SetProcessId(pi.dwProcessId);
    ResumeThread(pi.hThread);
    bool exited = WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0;
    if (!exited) TerminateProcess(pi.hProcess, 99);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_TRUE(exited);
    EXPECT_EQ(1u, code);  // lprhost: the monitor could not be loaded
    ASSERT_EQ(1u, watcher.Count());
    EXPECT_EQ("Can't Load Resources... ", watcher.Seen()[0].text);
    EXPECT_EQ("Tolvane", watcher.Seen()[0].caption);
    // Another process's icon can't be identified (see the watcher); the box
    // has one and is not system modal.
    EXPECT_EQ(UINT(MB_USERICON), watcher.Seen()[0].style);
}

}  // namespace
