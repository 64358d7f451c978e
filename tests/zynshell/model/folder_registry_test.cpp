// The open-folder registry and the folder handle's GetName.
#include <gtest/gtest.h>

#include "model/folder_registry.h"
#include "fake_backend.h"

namespace {

using zyntest::FakeFolder;
using zyntest::FakeProgramManager;
using zynshell::FolderRegistry;
using zynshell::ProgramFolder;

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            folders[i] = new FakeFolder(names[i], 2, nullptr);
            registry.Insert(folders[i]);
        }
    }
    void TearDown() override { registry.DestroyAll(); }

    void ExpectOnlyFound(int gone) {
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(names[i]);
            EXPECT_EQ(registry.Find(names[i], 2, 1), i == gone ? nullptr : folders[i]);
        }
    }

    const char* names[3] = {"Oldest", "Middle", "Newest"};
    ProgramFolder* folders[3];
    FolderRegistry registry;
};

TEST_F(Registry, NewestFirst) {
    EXPECT_EQ(registry.head(), folders[2]);
    EXPECT_EQ(folders[2]->next, folders[1]);
    EXPECT_EQ(folders[1]->prev, folders[2]);
    EXPECT_EQ(folders[0]->next, nullptr);
}

TEST_F(Registry, ReleaseNewest) {
    registry.Remove(folders[2]);
    delete folders[2];
    ExpectOnlyFound(2);
    EXPECT_EQ(registry.head(), folders[1]);
    EXPECT_EQ(folders[1]->prev, nullptr);
}

TEST_F(Registry, ReleaseMiddle) {
    registry.Remove(folders[1]);
    delete folders[1];
    ExpectOnlyFound(1);
    EXPECT_EQ(folders[2]->next, folders[0]);
    EXPECT_EQ(folders[0]->prev, folders[2]);
}

TEST_F(Registry, ReleaseOldest) {
    registry.Remove(folders[0]);
    delete folders[0];
    ExpectOnlyFound(0);
    EXPECT_EQ(folders[1]->next, nullptr);
}

TEST_F(Registry, RemovingTwiceOrAnUnregisteredHandleChangesNothing) {
    registry.Remove(folders[1]);
    registry.Remove(folders[1]);
    FakeFolder stranger("Stranger", 2, nullptr);
    registry.Remove(&stranger);
    EXPECT_EQ(registry.head(), folders[2]);
    EXPECT_EQ(folders[2]->next, folders[0]);
    delete folders[1];
}

TEST(RegistryFind, NameIsCaseSensitiveTypeOnlyWhenAsked) {
    FolderRegistry registry;
    auto* older = new FakeFolder("Tools", 2, nullptr);
    auto* newer = new FakeFolder("Tools", 3, nullptr);
    registry.Insert(older);
    registry.Insert(newer);
    EXPECT_EQ(registry.Find("Tools", 2, 0), newer);  // newest match
    EXPECT_EQ(registry.Find("Tools", 2, 1), older);
    EXPECT_EQ(registry.Find("Tools", static_cast<int32_t>(0x80000002u), 1), nullptr);
    EXPECT_EQ(registry.Find("tools", 2, 0), nullptr);
    EXPECT_EQ(registry.Find(nullptr, 2, 0), nullptr);
    registry.DestroyAll();
    EXPECT_EQ(registry.head(), nullptr);
}

TEST(RegistryTeardown, ProgramManagerDestroysEveryHandleLeftOpen) {
    FakeFolder::alive = 0;
    {
        FakeProgramManager pm(zynshell::kBackendShell);
        for (const char* n : {"One", "Two", "Three"}) pm.openFolders.Insert(new FakeFolder(n, 2, nullptr));
        EXPECT_EQ(FakeFolder::alive, 3);
    }
    EXPECT_EQ(FakeFolder::alive, 0);
}

TEST(FolderGetName, SizesAroundTheNeededOne) {
    FakeFolder folder("Games", 2, nullptr);  // needs 6 bytes
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(folder.GetName(buffer, 5), 1);  // n - 1: one byte missing
    EXPECT_EQ(buffer[0], '#');                // nothing copied
    EXPECT_EQ(folder.GetName(buffer, 0), 6);
    EXPECT_EQ(folder.GetName(buffer, 6), 0);
    EXPECT_STREQ(buffer, "Games");
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(folder.GetName(buffer, 7), 0);
    EXPECT_STREQ(buffer, "Games");
    EXPECT_EQ(buffer[6], '#');
    EXPECT_EQ(folder.GetName(nullptr, 100), 6);  // no buffer counts as no room
}

}  // namespace
