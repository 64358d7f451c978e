// IsAdministrator: looks for the built-in Administrators alias among the
// groups of the thread's token (an impersonating thread is asked about its
// client) or, when the thread has no token, of the process's token. Every
// failure reads as "not an administrator".
#include "model/platform.h"

#include "handles.h"

#include <windows.h>

#include <memory>
#include <new>


namespace zynshell {

namespace {

zyn::UniqueKernelHandle OpenCallerToken() {
    zyn::UniqueKernelHandle token;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, token.put())) return token;
    if (GetLastError() != ERROR_NO_TOKEN) return {};
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return token;
    return {};
}

}  // namespace

int IsAdministrator() {
    zyn::UniqueKernelHandle token = OpenCallerToken();
    if (!token) return 0;

    DWORD cbGroups = 0;
    if (GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &cbGroups)) return 0;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || cbGroups == 0) return 0;
    // Pointer-aligned storage: TOKEN_GROUPS holds pointers and SIDs. Running
    // out of memory reads as "not an administrator", like every failure here.
    std::unique_ptr<ULONG_PTR[]> storage(
        new (std::nothrow) ULONG_PTR[(cbGroups + sizeof(ULONG_PTR) - 1) / sizeof(ULONG_PTR)]);
    if (!storage) return 0;
    if (!GetTokenInformation(token.get(), TokenGroups, storage.get(), cbGroups, &cbGroups)) return 0;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(storage.get());

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    zyn::UniqueSid admins;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, admins.put()))
        return 0;

    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(groups->Groups[i].Sid, admins.get())) return 1;
    return 0;
}

}  // namespace zynshell
