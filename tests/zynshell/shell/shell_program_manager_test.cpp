// ShellProgramManager: roots from the Shell Folders key (one stored without
// its terminator too), construction failures, path resolution.
#include "shell/shell_program_manager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/program_folder.h"
#include "model/platform.h"
#include "shell_test_env.h"

using namespace zynshell;
using shelltest::ShellRootsFixture;

namespace {

class ShellProgramManagerTest : public ShellRootsFixture {
protected:
    std::unique_ptr<ShellProgramManager> Make(int16_t nt) {
        return std::make_unique<ShellProgramManager>(nt, nt ? 3 : 4, roots.keyPath.c_str());
    }
    std::string Resolve(ShellProgramManager& pm, const char* name, int32_t type) {
        char path[kRootPathSize];
        memset(path, 'x', sizeof path);
        pm.ResolveFolderPath(name, type, path, sizeof path);
        return path;
    }
};

TEST_F(ShellProgramManagerTest, NtHoldsAllSixRootsFromTheKey) {
    auto pm = Make(0x100);  // any nonzero 16-bit value means NT
    EXPECT_EQ(pm->backendKind, kBackendShell);
    EXPECT_EQ(pm->ntFlag, 1);
    EXPECT_EQ(pm->platformKind, 3);
    EXPECT_EQ(pm->lastError, 0);
    EXPECT_EQ(pm->infoAvailable, 0);
    EXPECT_EQ(pm->adminFlag, IsAdministrator());
    EXPECT_STREQ(pm->desktop(), roots.desktop.c_str());
    EXPECT_STREQ(pm->programs(), roots.programs.c_str());
    EXPECT_STREQ(pm->startup(), roots.startup.c_str());
    EXPECT_STREQ(pm->commonDesktop(), roots.commonDesktop.c_str());
    EXPECT_STREQ(pm->commonPrograms(), roots.commonPrograms.c_str());
    EXPECT_STREQ(pm->commonStartup(), roots.commonStartup.c_str());
    EXPECT_NE(pm->shellLink(), nullptr);
    EXPECT_NE(pm->persistFile(), nullptr);
}

TEST_F(ShellProgramManagerTest, Windows95NeedsAndKeepsOnlyThePersonalRoots) {
    roots.DeleteValue(HKEY_LOCAL_MACHINE, "Common Programs");
    auto pm = Make(0);
    EXPECT_EQ(pm->ntFlag, 0);
    EXPECT_EQ(pm->platformKind, 4);
    EXPECT_STREQ(pm->programs(), roots.programs.c_str());
    EXPECT_EQ(pm->commonDesktop(), nullptr);
    EXPECT_EQ(pm->commonPrograms(), nullptr);
    EXPECT_EQ(pm->commonStartup(), nullptr);
}

TEST_F(ShellProgramManagerTest, MissingOrUnusableRootsRefuseConstruction) {
    {
        SCOPED_TRACE("NT without Common Programs");
        roots.DeleteValue(HKEY_LOCAL_MACHINE, "Common Programs");
        EXPECT_THROW(Make(1), ZynException);
    }
    {
        SCOPED_TRACE("a personal root missing, on either platform");
        roots.DeleteValue(HKEY_CURRENT_USER, "Startup");
        EXPECT_THROW(Make(0), ZynException);
    }
    {
        SCOPED_TRACE("a value of 2048 characters does not fit the 2048-byte buffer");
        std::string longValue(2048, 'a');
        roots.SetValue(HKEY_CURRENT_USER, "Startup", longValue.c_str(),
                       static_cast<DWORD>(longValue.size() + 1), REG_SZ);
        EXPECT_THROW(Make(0), ZynException);
    }
    {
        SCOPED_TRACE("a value of 2047 characters does");
        std::string value(2047, 'a');
        roots.SetValue(HKEY_CURRENT_USER, "Startup", value.c_str(),
                       static_cast<DWORD>(value.size() + 1), REG_SZ);
        EXPECT_NO_THROW(Make(0));
    }
    {
        SCOPED_TRACE("a number is no path");
        DWORD number = 0x41414141;
        roots.SetValue(HKEY_CURRENT_USER, "Startup", &number, sizeof number, REG_DWORD);
        EXPECT_THROW(Make(0), ZynException);
    }
}

TEST_F(ShellProgramManagerTest, TwoObjectsOnOneThreadEachHaveTheirOwnLinkObject) {
    auto first = Make(1);
    auto second = Make(1);
    EXPECT_NE(first->shellLink(), second->shellLink());
    first.reset();
    // The second one's COM initialisation outlives the first's teardown.
    IShellLinkA* link = second->shellLink();
    EXPECT_EQ(link->SetDescription("still alive"), S_OK);
}

struct MtaOutcome {
    const char* keyPath;
    bool built = false;
    HRESULT afterwards = E_FAIL;
};

DWORD WINAPI BuildInMultithreadedApartment(void* param) {
    auto* o = static_cast<MtaOutcome*>(param);
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    try {
        ShellProgramManager pm(1, 3, o->keyPath);
        o->built = pm.shellLink() != nullptr;
    } catch (const ZynException&) {
    }
    // S_FALSE: still initialised by the call above; S_OK: it was undone.
    o->afterwards = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(o->afterwards)) CoUninitialize();
    CoUninitialize();
    return 0;
}

TEST_F(ShellProgramManagerTest, AThreadInTheMultithreadedApartmentKeepsItsComInitialisation) {
    // CoInitialize there answers RPC_E_CHANGED_MODE; pairing that with a
    // CoUninitialize would take away the thread's own initialisation.
    MtaOutcome outcome{roots.keyPath.c_str()};
    HANDLE thread = CreateThread(nullptr, 0, BuildInMultithreadedApartment, &outcome, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_TRUE(outcome.built);
    EXPECT_EQ(outcome.afterwards, S_FALSE);
}

TEST_F(ShellProgramManagerTest, ResolvesTypeAndNameToADirectoryPath) {
    auto pm = Make(1);
    const int32_t common = static_cast<int32_t>(kTypeCommon);
    EXPECT_EQ(Resolve(*pm, "Accessories\\Games", 2), roots.programs + "\\Accessories\\Games");
    EXPECT_EQ(Resolve(*pm, nullptr, 3 | common), roots.commonStartup);
    EXPECT_EQ(Resolve(*pm, "X", 1 | common), roots.commonDesktop + "\\X");
    EXPECT_EQ(Resolve(*pm, "X", 1), roots.desktop + "\\X");
    // Bits 8 to 30 play no part in the choice of root.
    EXPECT_EQ(Resolve(*pm, nullptr, 0x4C000F02), roots.programs);
    for (int32_t type : {0, 4, common, 0x102 & ~0xFF})
        EXPECT_EQ(Resolve(*pm, "X", type), "") << std::hex << type;
    // A path that does not fit leaves the buffer empty.
    char small[8] = "garbage";
    pm->ResolveFolderPath("X", 2, small, sizeof small);
    EXPECT_STREQ(small, "");
    std::string exact = roots.programs + "\\Y";
    std::string buffer(exact.size() + 1, 'z');
    pm->ResolveFolderPath("Y", 2, &buffer[0], buffer.size());
    EXPECT_STREQ(buffer.c_str(), exact.c_str());
}

TEST_F(ShellProgramManagerTest, TeardownDestroysEveryRegisteredHandle) {
    static int destroyed;
    struct CountingFolder : ProgramFolder {
        CountingFolder() : ProgramFolder("counted", 2) {}
        ~CountingFolder() override { ++destroyed; }
        int Delete() override { return 0; }
        int Update() override { return 0; }
        int Show(int) override { return 0; }
        int ListSubFolders() override { return 0; }
        int ListItems() override { return 0; }
        int AddItem(const ProgramItem&) override { return 0; }
        int DeleteItem(const char*) override { return 0; }
        int ReplaceItem(const char*) override { return 0; }
    };
    destroyed = 0;
    auto pm = Make(1);
    for (int i = 0; i < 3; ++i) pm->openFolders.Insert(new CountingFolder);
    pm.reset();
    EXPECT_EQ(destroyed, 3);
}

TEST_F(ShellProgramManagerTest, ReadShellFolderTerminatesValuesStoredWithoutTerminator) {
    roots.SetValue(HKEY_CURRENT_USER, "Bare", "ABCD", 4, REG_SZ);
    char value[5];
    memset(value, 'x', sizeof value);
    ASSERT_TRUE(ReadShellFolder("Bare", value, sizeof value, 0, roots.keyPath.c_str()));
    EXPECT_STREQ(value, "ABCD");
    char tight[4];
    EXPECT_FALSE(ReadShellFolder("Bare", tight, sizeof tight, 0, roots.keyPath.c_str()));
    EXPECT_STREQ(tight, "");
}

}  // namespace
