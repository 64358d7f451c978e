// zynshell.dll as a caller of another compiler sees it: every export found
// by its undecorated name and called through a pointer takes its own
// arguments off the stack (i686, where __stdcall and __cdecl differ), and an
// item record laid out byte by byte at the documented offsets, not through
// the header's struct, is read field by field. Runs as Windows NT 4.0 (the
// shell backend) in a Programs folder of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "model/program_manager.h"
#include "dll_loader.h"
#include "shell/shell_test_env.h"
#include "stdcall_probe.h"

namespace {

using zyntest::ZynDll;

// Offsets of the item record's fields, as a caller in another language
// writes them. The 64-bit layout aligns each pointer to 8 bytes.
struct ItemLayout {
    size_t size, flags, command, arguments, name, iconPath, iconIndex, x, y, workingDirectory, hotkey,
        minimize;
};
#if defined(_WIN64)
constexpr ItemLayout kLayout{72, 0, 8, 16, 24, 32, 40, 44, 48, 56, 64, 68};
#else
constexpr ItemLayout kLayout{44, 0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40};
#endif

class ExportAbi : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ASSERT_TRUE(dll.Load());
        pm = dll.ZynPMInit(0);
        ASSERT_NE(pm, nullptr);
        name = "ZynAbi" + std::to_string(GetCurrentProcessId());
        dir = std::string(reinterpret_cast<zynshell::ProgramManager*>(pm)->programs()) + "\\" + name;
        shelltest::RemoveTree(dir);
    }
    void TearDown() override {
        if (pm) dll.ZynPMUninit(pm);
        shelltest::RemoveTree(dir);
        CoUninitialize();
    }
    ZynDll dll;
    ZYNPM pm = nullptr;
    std::string name, dir;
};

template <typename T>
void Put(std::vector<unsigned char>& record, size_t offset, T value) {
    ASSERT_LE(offset + sizeof value, record.size());
    memcpy(record.data() + offset, &value, sizeof value);
}

TEST_F(ExportAbi, AnItemRecordWrittenAtTheDocumentedOffsetsIsReadFieldByField) {
    ZYNFOLDER folder = dll.ZynCreateFolder(pm, name.c_str(), ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(folder, nullptr);
    // Every byte not written below is garbage, so a field read from the
    // wrong place shows.
    std::vector<unsigned char> record(kLayout.size, 0xA5);
    const char *command = "C:\\windows\\notepad.exe", *arguments = "/p file.txt", *itemName = "Laid Out",
               *icon = "C:\\windows\\regedit.exe", *workdir = "C:\\windows\\temp";
    Put<uint32_t>(record, kLayout.flags, 0x7F);
    Put(record, kLayout.command, command);
    Put(record, kLayout.arguments, arguments);
    Put(record, kLayout.name, itemName);
    Put(record, kLayout.iconPath, icon);
    Put<int32_t>(record, kLayout.iconIndex, 3);
    Put<int32_t>(record, kLayout.x, 10);
    Put<int32_t>(record, kLayout.y, 20);
    Put(record, kLayout.workingDirectory, workdir);
    Put<uint32_t>(record, kLayout.hotkey, 0x0645);
    Put<int32_t>(record, kLayout.minimize, 1);
    ASSERT_EQ(1, dll.ZynAddItemEx(pm, folder, reinterpret_cast<const ZynProgramItem*>(record.data())));
    auto f = shelltest::ReadShortcut(dir + "\\Laid Out.lnk");
    EXPECT_EQ(command, f.target);
    EXPECT_EQ(arguments, f.arguments);
    EXPECT_EQ(itemName, f.description);
    EXPECT_EQ(icon, f.iconPath);
    EXPECT_EQ(3, f.iconIndex);
    EXPECT_EQ(workdir, f.workingDirectory);
    EXPECT_EQ(0x0645, f.hotkey);
    EXPECT_EQ(SW_MINIMIZE, f.storedShowCmd);
    dll.ZynReleaseFolder(pm, folder);
}

#if defined(ZYN_HAVE_STDCALL_PROBE)
// Calls each export once, in an order that gives every call a live object,
// and checks that the callee took 4 bytes an argument off the stack.
TEST_F(ExportAbi, EveryExportTakesItsArgumentsOffTheStack) {
    using zyntest::Slot;
    std::set<std::string> called;
    auto call = [&](const char* export_, auto* fn, std::initializer_list<uint32_t> args) {
        auto r = zyntest::StdcallProbe(fn, args);
        EXPECT_EQ(4 * args.size(), r.popped) << export_;
        called.insert(export_);
        return r.value;
    };
    dll.ZynPMUninit(pm);
    pm = reinterpret_cast<ZYNPM>(call("ZynPMInit", dll.ZynPMInit, {0}));
    ASSERT_NE(pm, nullptr);
    const std::string inner = name + "\\Inner";
    auto folder = reinterpret_cast<ZYNFOLDER>(
        call("ZynCreateFolder", dll.ZynCreateFolder, {Slot(pm), Slot(name.c_str()), ZYN_FOLDER_PROGRAMS}));
    ASSERT_NE(folder, nullptr);
    auto sub = reinterpret_cast<ZYNFOLDER>(call("ZynCreateFolderEx", dll.ZynCreateFolderEx,
                                                {Slot(pm), Slot(inner.c_str()), ZYN_FOLDER_PROGRAMS, 0, 0}));
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub, reinterpret_cast<ZYNFOLDER>(call("ZynGetFolderHandle", dll.ZynGetFolderHandle,
                                                    {Slot(pm), Slot(inner.c_str()), ZYN_FOLDER_PROGRAMS})));
    EXPECT_EQ(1u, call("ZynAddItem", dll.ZynAddItem,
                       {Slot(pm), Slot(folder), ZYN_ITEM_NAME, Slot("C:\\windows\\notepad.exe"), 0,
                        Slot("Flat"), 0, 0, 0, 0, 0, 0, 0}));
    ZynProgramItem item = {};
    item.flags = ZYN_ITEM_NAME;
    item.command = "C:\\windows\\notepad.exe";
    item.name = "Record";
    EXPECT_EQ(1u, call("ZynAddItemEx", dll.ZynAddItemEx, {Slot(pm), Slot(folder), Slot(&item)}));
    EXPECT_EQ(1u, call("ZynListFolderItems", dll.ZynListFolderItems, {Slot(pm), Slot(folder)}));
    char line[600];
    EXPECT_EQ(1u, call("ZynPMReadInfo", dll.ZynPMReadInfo, {Slot(pm), Slot(line), sizeof line}));
    EXPECT_EQ(1u, call("ZynListSubFolders", dll.ZynListSubFolders, {Slot(pm), Slot(folder)}));
    EXPECT_EQ(1u, call("ZynUpdateFolder", dll.ZynUpdateFolder, {Slot(pm), Slot(folder)}));
    // A show command outside 1 to 8 is refused before any window opens.
    EXPECT_EQ(0u, call("ZynShowFolder", dll.ZynShowFolder, {Slot(pm), Slot(folder), 99}));
    EXPECT_EQ(uint32_t(ZYN_ERR_BAD_SHOW_COMMAND), call("ZynPMGetLastError", dll.ZynPMGetLastError, {Slot(pm)}));
    EXPECT_EQ(1u, call("ZynReplaceItem", dll.ZynReplaceItem, {Slot(pm), Slot(folder), Slot("Flat")}));
    EXPECT_EQ(1u, call("ZynDeleteItem", dll.ZynDeleteItem, {Slot(pm), Slot(folder), Slot("Record")}));
    const uint32_t programsLink = ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_PROGRAMS_LINK;
    EXPECT_EQ(1u, call("ZynAddLinkToFolder", dll.ZynAddLinkToFolder, {Slot(pm), Slot(sub), programsLink, 0, 0}));
    EXPECT_EQ(1u, call("ZynDeleteLinkToFolder", dll.ZynDeleteLinkToFolder, {Slot(pm), Slot(sub), programsLink}));
    call("ZynReleaseFolder", dll.ZynReleaseFolder, {Slot(pm), Slot(sub)});
    EXPECT_EQ(1u, call("ZynDeleteFolder", dll.ZynDeleteFolder, {Slot(pm), Slot(folder)}));
    EXPECT_NE(0u, call("ZynPMUninit", dll.ZynPMUninit, {Slot(pm)}));
    pm = nullptr;
    EXPECT_EQ(19u, called.size());
}
#endif

}  // namespace
