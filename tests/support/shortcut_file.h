// Reads a .lnk file back through a fresh IShellLinkA, as Explorer would.
// The caller has COM initialised on its thread.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "handles.h"

namespace zyntest {

struct Shortcut {
    std::string path, arguments, description, workingDirectory;
    WORD hotkey = 0;
};

inline bool ReadShortcut(const std::string& file, Shortcut* out) {
    zyn::ComPtr<IShellLinkA> link;
    zyn::ComPtr<IPersistFile> persist;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, persist.put_void())))
        return false;
    wchar_t wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH)) return false;
    if (FAILED(persist->Load(wide, STGM_READ))) return false;
    char text[MAX_PATH] = "";
    link->GetPath(text, sizeof text, nullptr, 0);
    out->path = text;
    text[0] = '\0';
    link->GetArguments(text, sizeof text);
    out->arguments = text;
    text[0] = '\0';
    link->GetDescription(text, sizeof text);
    out->description = text;
    text[0] = '\0';
    link->GetWorkingDirectory(text, sizeof text);
    out->workingDirectory = text;
    link->GetHotkey(&out->hotkey);
    return true;
}

}  // namespace zyntest
