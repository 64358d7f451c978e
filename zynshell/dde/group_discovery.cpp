// Group discovery of the DDE backend: whether a group exists (FolderExists,
// by platform kind), the name of the StartUp group, and the Programs
// directories read on Windows NT 4.0.
//
// Windows NT 3.x's Program Manager keeps its groups as registry keys; the
// Program Manager interface of later systems (Windows 2000 on, and Wine)
// keeps none there, so where the groups key is missing, or does not list
// the group, Program Manager is asked for its list of groups: a group it
// holds is never reported missing to a caller about to remove it.
#include "dde/dde_program_manager.h"

#include <cstring>

#include "bounded.h"
#include "model/platform.h"

namespace zynshell {

namespace {

constexpr int kNameBufferSize = 80;
constexpr int kSettingsValueSize = 1024;
constexpr UINT kDefaultStartupNameId = 120;
constexpr UINT kSettingsFileNameId = 6;
constexpr REGSAM kAdminAccess = KEY_ALL_ACCESS;      // 0xF003F
constexpr REGSAM kUserAccess = KEY_READ | KEY_WRITE;  // 0x2001F

const char kPersonalGroupsKey[] = "UNICODE Program Groups";
const char kCommonGroupsKey[] = "SOFTWARE\\Program Groups";

bool IsCommon(int32_t type) { return (static_cast<uint32_t>(type) & kTypeCommon) != 0; }

// True only when the key is plainly absent; a key that exists but cannot be
// read still holds the registry's answer.
bool GroupsKeyMissing(int32_t type) {
    zyn::UniqueRegKey key;
    const LONG rc = RegOpenKeyExA(IsCommon(type) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                                  IsCommon(type) ? kCommonGroupsKey : kPersonalGroupsKey, 0, KEY_READ, key.put());
    return rc == ERROR_FILE_NOT_FOUND;
}

bool IsDirectoryPath(const char* path) {
    WIN32_FIND_DATAA found;
    zyn::UniqueFind find(FindFirstFileA(path, &found));
    return find && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int DdeProgramManager::FolderExists(const char* name, int32_t type) {
    if (!name) return 0;
    if (platformKind == kPlatformOther && !GroupsKeyMissing(type) && RegistryGroupExists(name, type)) return 1;
    if (platformKind == kPlatformNt4) {
        char path[kRootPathSize];
        const char* root = IsCommon(type) ? commonPrograms() : programs();
        if (!root || !zyn::BoundedFormat(path, sizeof path, "%s\\%s", root, name)) return 0;
        return IsDirectoryPath(path) ? 1 : 0;
    }
    // Without an answer nothing is known of the group; the buffer then holds
    // no list to search (lastError tells the caller why).
    if (!Request("GROUPS")) return 0;
    return GroupListHolds(name) ? 1 : 0;
}

// Whether a whole line of the group list in the info buffer (which need not
// be terminated) is the name. Program Manager's group names compare without
// regard to case; a name that only begins or ends another ("Acme" of "Acme
// Tools") is a different group.
bool DdeProgramManager::GroupListHolds(const char* name) {
    const char* const text = infoBuffer();
    const size_t length = strnlen(text, kInfoBufferSize);
    const int cchName = lstrlenA(name);
    if (cchName == 0) return false;
    size_t line = 0;
    while (line < length) {
        size_t end = line;
        while (end < length && text[end] != '\r' && text[end] != '\n') ++end;
        if (static_cast<int>(end - line) == cchName &&
            CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text + line, cchName, name, cchName) ==
                CSTR_EQUAL)
            return true;
        line = end + (end + 1 < length && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
    }
    return false;
}

int DdeProgramManager::RegistryGroupExists(const char* name, int32_t type) {
    char path[kRootPathSize];
    if (!zyn::BoundedFormat(path, sizeof path, "%s\\%s", IsCommon(type) ? kCommonGroupsKey : kPersonalGroupsKey,
                            name))
        return 0;
    zyn::UniqueRegKey key;
    if (RegOpenKeyExA(IsCommon(type) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, path, 0,
                      adminFlag ? kAdminAccess : kUserAccess, key.put()) != ERROR_SUCCESS)
        return 0;
    RegFlushKey(key.get());
    return 1;
}

// Program Manager lets the user rename the StartUp group; its name is in the
// settings file named by the shell module, when that module is loaded here.
void DdeProgramManager::ReadStartupGroupName() {
    SetRoot(kStartupRoot, "StartUp");
    char shell[kNameBufferSize];
    GetPrivateProfileStringA("boot", "shell", "", shell, sizeof shell, "system.ini");
    if (!shell[0]) return;
    HMODULE module = GetModuleHandleA(shell);
    if (!module) return;
    char defaultName[kNameBufferSize], settingsFile[kNameBufferSize];
    if (LoadStringA(module, kDefaultStartupNameId, defaultName, sizeof defaultName) <= 0)
        zyn::BoundedCopy(defaultName, "StartUp");
    if (LoadStringA(module, kSettingsFileNameId, settingsFile, sizeof settingsFile) <= 0)
        zyn::BoundedCopy(settingsFile, "progman.ini");
    if (lstrcmpiA(defaultName, "Start Up") == 0) zyn::BoundedCopy(defaultName, "StartUp");
    char value[kSettingsValueSize];
    GetPrivateProfileStringA("Settings", "StartUp", defaultName, value, sizeof value, settingsFile);
    SetRoot(kStartupRoot, value);
}

}  // namespace zynshell
