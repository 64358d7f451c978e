// Checks that the test prefix is what every other test relies on.
#include <gtest/gtest.h>
#include <windows.h>

TEST(Harness, RunsUnderWineWithHeadlessWindows) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    ASSERT_NE(ntdll, nullptr);
    EXPECT_NE(GetProcAddress(ntdll, "wine_get_version"), nullptr);
    HWND w = CreateWindowExA(0, "STATIC", "probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    DestroyWindow(w);
}

#include "stdcall_probe.h"

#if defined(ZYN_HAVE_STDCALL_PROBE)
namespace {
int __stdcall StdcallSum(int a, int b, int c) { return a + b + c; }
int __cdecl CdeclSum(int a, int b, int c) { return a + b + c; }
}  // namespace

// The probe tells the two conventions apart, so the export checks built on
// it would see a callee that leaves its arguments behind.
TEST(Harness, StdcallProbeSeesWhoCleansTheStack) {
    auto s = zyntest::StdcallProbe(&StdcallSum, {1, 2, 3});
    EXPECT_EQ(6u, s.value);
    EXPECT_EQ(12u, s.popped);
    auto c = zyntest::StdcallProbe(&CdeclSum, {1, 2, 3});
    EXPECT_EQ(6u, c.value);
    EXPECT_EQ(0u, c.popped);
}
#endif
