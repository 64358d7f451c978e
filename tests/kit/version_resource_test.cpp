// Every shipped DLL and program carries a version resource that installers
// can read: the build's version as file and product version, our company and
// product names, and its own file name.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

struct Version {
    std::vector<BYTE> block;
    bool Load(const std::string& file) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
        if (size == 0) return false;
        block.assign(size, 0);
        return GetFileVersionInfoA(file.c_str(), 0, size, block.data()) != 0;
    }
    std::string Text(const char* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || length == 0) return "<none>";
        return static_cast<const char*>(value);
    }
    const VS_FIXEDFILEINFO* Fixed() {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }
};

TEST(VersionResource, EveryShippedFileCarriesTheBuildsVersion) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string bin = self;
    bin = bin.substr(0, bin.find_last_of('\\') + 1);
    std::vector<std::string> files = {"zynshell.dll", "ZYNLPR.DLL", "zynlpr.nls",
                                      "lprinstall.exe", "lprhost.exe", "zynsh.exe"};
#ifdef ZYN_HAS_PORT_UI
    files.push_back("zynlprui.dll");
#endif
    const DWORD ms = MAKELONG(ZYN_VERSION_MINOR, ZYN_VERSION_MAJOR);
    const DWORD ls = MAKELONG(ZYN_VERSION_TWEAK, ZYN_VERSION_PATCH);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        Version v;
        ASSERT_TRUE(v.Load(bin + file));
        const VS_FIXEDFILEINFO* fixed = v.Fixed();
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, ms);
        EXPECT_EQ(fixed->dwFileVersionLS, ls);
        EXPECT_EQ(fixed->dwProductVersionMS, ms);
        EXPECT_EQ(fixed->dwProductVersionLS, ls);
        EXPECT_EQ(fixed->dwFileType, file.find(".exe") != std::string::npos ? DWORD(VFT_APP) : DWORD(VFT_DLL));
        EXPECT_EQ(v.Text("FileVersion"), ZYN_VERSION_TEXT);
        EXPECT_EQ(v.Text("ProductVersion"), ZYN_VERSION_TEXT);
        EXPECT_EQ(v.Text("CompanyName"), "Zyn Software");
        EXPECT_EQ(v.Text("ProductName"), "Zyn Shell and LPR Tools");
        EXPECT_EQ(v.Text("OriginalFilename"), file);
        EXPECT_NE(v.Text("FileDescription"), "<none>");
    }
}

}  // namespace
