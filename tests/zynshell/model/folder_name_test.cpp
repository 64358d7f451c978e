// Folder names with a part for each backend ("shell path|group").
#include <gtest/gtest.h>

#include <string>

#include "model/folder_name.h"

namespace {

using zynshell::kBackendDde;
using zynshell::kBackendShell;

std::string Parse(zynshell::BackendKind kind, const char* name) {
    std::string copy(name);
    return zynshell::ParseFolderName(kind, copy.data());
}

TEST(FolderName, ShellTakesThePathBeforeTheFirstBar) {
    EXPECT_EQ(Parse(kBackendShell, "Accessories\\Games|Games"), "Accessories\\Games");
    EXPECT_EQ(Parse(kBackendShell, "Accessories\\Games"), "Accessories\\Games");
    EXPECT_EQ(Parse(kBackendShell, "A|B|C"), "A");
    EXPECT_EQ(Parse(kBackendShell, "|Group"), "");
    EXPECT_EQ(Parse(kBackendShell, ""), "");
}

TEST(FolderName, DdeTakesTheGroupAfterTheBarOrTheLastComponent) {
    EXPECT_EQ(Parse(kBackendDde, "Accessories\\Games|Games"), "Games");
    EXPECT_EQ(Parse(kBackendDde, "Accessories\\Games"), "Games");
    EXPECT_EQ(Parse(kBackendDde, "Tools"), "Tools");
    EXPECT_EQ(Parse(kBackendDde, "A|B|C"), "B|C");  // only the first bar splits
    EXPECT_EQ(Parse(kBackendDde, "Path\\"), "");
    EXPECT_EQ(Parse(kBackendDde, "Shell|Group\\Sub"), "Group\\Sub");
}

TEST(FolderName, PartsOfDotsOnlyAreFoundAtEitherSeparator) {
    struct Case {
        const char* name;
        bool dotPart;
    } const cases[] = {
        {".", true}, {"..", true}, {"..\\..\\victim", true}, {"Apps\\..\\..\\escaped", true},
        {"Apps/../x", true}, {"Apps\\.", true}, {"Apps\\..\\", true}, {"...", true}, {".. ", true},
        {"a\\ .\\b", true},
        {"My App...", false}, {"v1.2", false}, {"..a", false}, {".hidden", false}, {"a..b\\c", false},
        {"", false}, {"Apps\\\\Tools", false}, {" ", false},
    };
    for (const Case& c : cases) EXPECT_EQ(zynshell::HasDotPart(c.name), c.dotPart) << c.name;
    EXPECT_FALSE(zynshell::HasDotPart(nullptr));
}

TEST(FolderName, NullStaysNull) {
    EXPECT_EQ(zynshell::ParseFolderName(kBackendShell, nullptr), nullptr);
    EXPECT_EQ(zynshell::ParseFolderName(kBackendDde, nullptr), nullptr);
}

}  // namespace
