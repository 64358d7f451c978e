// Test environment of the shell backend: a throwaway Shell Folders key of
// the test's own (under HKCU and HKLM) whose six values point into a
// throwaway directory tree, so tests never touch the prefix's real Start
// menu. Also: a recursive remover, a reader and a writer of shortcuts
// through the test's own link object, and a window that counts the shell's
// change notifications.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/program_manager.h"

namespace shelltest {

// Deletes path and everything below it, clearing read-only attributes.
void RemoveTree(const std::string& path);
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);
void MakeDirectory(const std::string& path);

// The six roots and the key that names them.
struct ShellRoots {
    std::string base;  // the throwaway tree
    std::string keyPath;  // below HKCU and HKLM
    std::string desktop, programs, startup, commonDesktop, commonPrograms, commonStartup;

    // Makes a unique tree and key; with withCommon false the HKLM values are
    // left out.
    void Create(bool withCommon = true);
    void Destroy();
    void SetValue(HKEY hive, const char* name, const void* data, DWORD cb, DWORD type);
    void DeleteValue(HKEY hive, const char* name);
};

// What a shortcut file holds, read through a fresh IShellLinkA.
struct ShortcutFields {
    std::string target, description, arguments, workingDirectory, iconPath;
    int iconIndex = 0;
    WORD hotkey = 0;
    int showCmd = 0;        // as the link object reports it after loading
    int storedShowCmd = 0;  // as the file holds it (header offset 0x3C)
};
ShortcutFields ReadShortcut(const std::string& lnkPath);
void WriteShortcut(const std::string& lnkPath, const ShortcutFields& fields);

// A hidden window registered for every change notification of the process
// (the desktop, recursively: this also receives the notifications without
// items); Pump() delivers the pending ones and the counters say how many came.
// Wine drops a one-item event whose path no longer exists, so a removed
// directory shows only through its item-less notifications.
class NotifyCounter {
public:
    NotifyCounter();
    ~NotifyCounter();
    void Pump();
    int Count(LONG event);  // pumps first
    void Reset();

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
    ULONG registration_ = 0;
    int mkdir_ = 0, rmdir_ = 0, create_ = 0, updatedir_ = 0, del_ = 0;
};

// A fixture with COM initialised and a ShellRoots of its own.
class ShellRootsFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    ShellRoots roots;
    bool comReady_ = false;
};

// Every line the program manager hands out, until ReadInfo gives 0.
std::vector<std::string> ReadAllLines(zynshell::ProgramManager& pm);

}  // namespace shelltest
