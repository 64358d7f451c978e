// The test helper MessageBoxWatcher reads what a real message box shows.
#include <gtest/gtest.h>

#include <thread>

#include "message_box_watcher.h"

TEST(MessageBoxWatcher, ReadsCaptionTextStyleAndAnswers) {
    MessageBoxWatcher watcher(IDOK);
    int result = 0;
    std::thread t([&] {
        result = MessageBoxA(nullptr, "Some text", "Some caption", MB_SYSTEMMODAL | MB_ICONERROR);
        MessageBoxA(nullptr, "Second", "Info", MB_ICONINFORMATION);
    });
    t.join();
    EXPECT_EQ(IDOK, result);
    auto seen = watcher.Seen();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("Some caption", seen[0].caption);
    EXPECT_EQ("Some text", seen[0].text);
    EXPECT_EQ(UINT(MB_SYSTEMMODAL | MB_ICONERROR), seen[0].style);
    EXPECT_EQ("Second", seen[1].text);
    EXPECT_EQ(UINT(MB_ICONINFORMATION), seen[1].style);
}
