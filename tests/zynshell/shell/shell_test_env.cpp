// Test environment of the shell backend (see shell_test_env.h).
#include "shell_test_env.h"

#include <shellapi.h>

#include "handles.h"

namespace shelltest {

void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA entry;
    zyn::UniqueFind find(FindFirstFileA((path + "\\*").c_str(), &entry));
    if (find) {
        do {
            std::string name = entry.cFileName;
            if (name != "." && name != "..") RemoveTree(path + "\\" + name);
        } while (FindNextFileA(find.get(), &entry));
    }
    find.reset();
    RemoveDirectoryA(path.c_str());
}

bool DirectoryExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeDirectory(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path << " " << GetLastError();
}

void ShellRoots::Create(bool withCommon) {
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
    std::string unique = "zynsh" + std::to_string(GetCurrentProcessId()) + "_" +
                         std::to_string(GetTickCount());
    base = std::string(temp) + unique;
    RemoveTree(base);
    MakeDirectory(base);
    desktop = base + "\\Desktop";
    programs = base + "\\Programs";
    startup = base + "\\Startup";
    commonDesktop = base + "\\CDesktop";
    commonPrograms = base + "\\CPrograms";
    commonStartup = base + "\\CStartup";
    for (auto* dir : {&desktop, &programs, &startup, &commonDesktop, &commonPrograms, &commonStartup})
        MakeDirectory(*dir);
    keyPath = "Software\\ZynShellTest\\" + unique + "\\Shell Folders";
    auto setString = [&](HKEY hive, const char* name, const std::string& value) {
        SetValue(hive, name, value.c_str(), static_cast<DWORD>(value.size() + 1), REG_SZ);
    };
    setString(HKEY_CURRENT_USER, "Desktop", desktop);
    setString(HKEY_CURRENT_USER, "Programs", programs);
    setString(HKEY_CURRENT_USER, "Startup", startup);
    if (withCommon) {
        setString(HKEY_LOCAL_MACHINE, "Common Desktop", commonDesktop);
        setString(HKEY_LOCAL_MACHINE, "Common Programs", commonPrograms);
        setString(HKEY_LOCAL_MACHINE, "Common Startup", commonStartup);
    } else {
        zyn::UniqueRegKey key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, key.put(), nullptr), ERROR_SUCCESS);
    }
}

void ShellRoots::SetValue(HKEY hive, const char* name, const void* data, DWORD cb, DWORD type) {
    zyn::UniqueRegKey key;
    ASSERT_EQ(RegCreateKeyExA(hive, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                              nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), cb),
              ERROR_SUCCESS);
}

void ShellRoots::DeleteValue(HKEY hive, const char* name) {
    zyn::UniqueRegKey key;
    ASSERT_EQ(RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_WRITE, key.put()), ERROR_SUCCESS);
    RegDeleteValueA(key.get(), name);
}

void ShellRoots::Destroy() {
    if (!base.empty()) RemoveTree(base);
    if (!keyPath.empty()) {
        std::string top = keyPath.substr(0, keyPath.rfind('\\'));
        for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            RegDeleteTreeA(hive, top.c_str());
            RegDeleteKeyA(hive, "Software\\ZynShellTest");  // only once it is empty
        }
    }
}

ShortcutFields ReadShortcut(const std::string& lnkPath) {
    ShortcutFields f;
    zyn::ComPtr<IShellLinkA> link;
    zyn::ComPtr<IPersistFile> file;
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               link.put_void()), S_OK);
    if (!link) return f;
    EXPECT_EQ(link->QueryInterface(IID_IPersistFile, file.put_void()), S_OK);
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, lnkPath.c_str(), -1, wide, MAX_PATH);
    EXPECT_EQ(file->Load(wide, STGM_READ), S_OK) << lnkPath;
    char buffer[MAX_PATH];
    buffer[0] = 0;
    link->GetPath(buffer, sizeof buffer, nullptr, SLGP_RAWPATH);
    f.target = buffer;
    buffer[0] = 0;
    link->GetDescription(buffer, sizeof buffer);
    f.description = buffer;
    buffer[0] = 0;
    link->GetArguments(buffer, sizeof buffer);
    f.arguments = buffer;
    buffer[0] = 0;
    link->GetWorkingDirectory(buffer, sizeof buffer);
    f.workingDirectory = buffer;
    buffer[0] = 0;
    link->GetIconLocation(buffer, sizeof buffer, &f.iconIndex);
    f.iconPath = buffer;
    link->GetHotkey(&f.hotkey);
    link->GetShowCmd(&f.showCmd);
    // Wine's link object does not restore the show command on Load (it
    // reports 1); the file's own header holds what was saved.
    HANDLE h = CreateFileA(lnkPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        BYTE header[0x40];
        DWORD got = 0;
        if (ReadFile(h, header, sizeof header, &got, nullptr) && got == sizeof header)
            memcpy(&f.storedShowCmd, header + 0x3C, sizeof f.storedShowCmd);
        CloseHandle(h);
    }
    return f;
}

void WriteShortcut(const std::string& lnkPath, const ShortcutFields& f) {
    zyn::ComPtr<IShellLinkA> link;
    zyn::ComPtr<IPersistFile> file;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               link.put_void()), S_OK);
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, file.put_void()), S_OK);
    link->SetPath(f.target.c_str());
    link->SetDescription(f.description.c_str());
    link->SetArguments(f.arguments.c_str());
    link->SetWorkingDirectory(f.workingDirectory.c_str());
    link->SetIconLocation(f.iconPath.c_str(), f.iconIndex);
    link->SetHotkey(f.hotkey);
    link->SetShowCmd(f.showCmd);
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, lnkPath.c_str(), -1, wide, MAX_PATH);
    ASSERT_EQ(file->Save(wide, TRUE), S_OK) << lnkPath;
}

namespace {
constexpr UINT kNotifyMessage = WM_APP + 17;
}

NotifyCounter::NotifyCounter() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "zynshell_notify_counter";
    RegisterClassA(&wc);  // already registered by an earlier counter: fine
    window_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SHChangeNotifyEntry entry = {nullptr, TRUE};
    registration_ = SHChangeNotifyRegister(window_, SHCNRF_ShellLevel | SHCNRF_InterruptLevel | SHCNRF_NewDelivery,
                                           SHCNE_ALLEVENTS, kNotifyMessage, 1, &entry);
    EXPECT_NE(registration_, 0u);
}

NotifyCounter::~NotifyCounter() {
    if (registration_) SHChangeNotifyDeregister(registration_);
    if (window_) DestroyWindow(window_);
}

void NotifyCounter::Pump() {
    // Notifications may be posted; give them a short, bounded time to arrive.
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    } while (GetTickCount() - start < 200);
}

int NotifyCounter::Count(LONG event) {
    Pump();
    switch (event) {
    case SHCNE_MKDIR: return mkdir_;
    case SHCNE_RMDIR: return rmdir_;
    case SHCNE_CREATE: return create_;
    case SHCNE_UPDATEDIR: return updatedir_;
    case SHCNE_DELETE: return del_;
    default: return -1;
    }
}

void NotifyCounter::Reset() {
    Pump();
    mkdir_ = rmdir_ = create_ = updatedir_ = del_ = 0;
}

LRESULT CALLBACK NotifyCounter::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kNotifyMessage) return DefWindowProcA(window, message, wParam, lParam);
    auto* self = reinterpret_cast<NotifyCounter*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    PIDLIST_ABSOLUTE* pidls = nullptr;
    LONG event = 0;
    HANDLE lock = SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam),
                                            static_cast<DWORD>(lParam), &pidls, &event);
    if (self) {
        if (event & SHCNE_MKDIR) ++self->mkdir_;
        if (event & SHCNE_RMDIR) ++self->rmdir_;
        if (event & SHCNE_CREATE) ++self->create_;
        if (event & SHCNE_UPDATEDIR) ++self->updatedir_;
        if (event & SHCNE_DELETE) ++self->del_;
    }
    if (lock) SHChangeNotification_Unlock(lock);
    return 0;
}

void ShellRootsFixture::SetUp() {
    comReady_ = SUCCEEDED(CoInitialize(nullptr));
    roots.Create();
}

void ShellRootsFixture::TearDown() {
    roots.Destroy();
    if (comReady_) CoUninitialize();
}

std::vector<std::string> ReadAllLines(zynshell::ProgramManager& pm) {
    std::vector<std::string> lines;
    char line[600];
    while (pm.ReadInfo(line, sizeof line)) lines.push_back(line);
    return lines;
}

}  // namespace shelltest
