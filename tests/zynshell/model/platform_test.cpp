// The platform facts: the version word of GetVersion and the platform it
// stands for, the Shell Folders values, the administrator test.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "model/platform.h"

namespace {

using zynshell::IsAdministrator;
using zynshell::kRootPathSize;
using zynshell::PlatformFromVersion;
using zynshell::ReadShellFolder;

struct Case {
    uint32_t version;
    int nt, kind, newShell;
};

TEST(Platform, KindPerVersionWord) {
    const Case cases[] = {
        {0x04210333u, 1, 2, 0},                // NT 3.51
        {0x05650004u, 1, 3, 1},                // NT 4.0
        {0x08930005u, 1, 2, 0},                // NT 5.0: Program Manager again
        {0xC0000004u, 0, 4, 1},                // Windows 95
        {0xC0000A04u, 0, 4, 1},                // Windows 98 (4.10)
        {0x80000003u, 0, 2, 0},                // Windows 3.x with Win32s
        {0x80000005u, 0, 4, 1},                // a later non-NT system
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.version);
        const zynshell::Platform p = PlatformFromVersion(c.version);
        EXPECT_EQ(p.ntFlag, c.nt);
        EXPECT_EQ(p.kind, c.kind);
        EXPECT_EQ(p.newShell, c.newShell);
    }
}

TEST(ReadShellFolder, ReadsThePrefixsRealStartMenuRoots) {
    char value[kRootPathSize];
    ASSERT_TRUE(ReadShellFolder("Programs", value, sizeof value, 0));
    EXPECT_NE(GetFileAttributesA(value), INVALID_FILE_ATTRIBUTES) << value;
    ASSERT_TRUE(ReadShellFolder("Common Programs", value, sizeof value, 1));
    EXPECT_NE(GetFileAttributesA(value), INVALID_FILE_ATTRIBUTES) << value;
    strcpy(value, "garbage");
    EXPECT_FALSE(ReadShellFolder("No Such Value", value, sizeof value, 0));
    EXPECT_STREQ(value, "");
    EXPECT_FALSE(ReadShellFolder("Programs", value, sizeof value, 0, "Software\\No\\Such\\Key"));
}

TEST(IsAdministrator, TheTestPrefixUserIsAnAdministratorAlsoWhenImpersonatingSelf) {
    EXPECT_EQ(IsAdministrator(), 1);
    ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation));
    EXPECT_EQ(IsAdministrator(), 1);
    RevertToSelf();
}

}  // namespace
