// DdeObjectList: newest first; removing one object keeps the others.
#include <gtest/gtest.h>

#include "dde/dde_object_list.h"
#include "fake_backend.h"

namespace {

using zynshell::DdeObjectListHead;
using zynshell::DdeObjectListPush;
using zynshell::DdeObjectListRemove;

TEST(DdeObjectList, RemovingOlderOrNewerKeepsTheOther) {
    zyntest::FakeProgramManager older(zynshell::kBackendDde), newer(zynshell::kBackendDde);
    ASSERT_EQ(DdeObjectListHead(), nullptr);
    ASSERT_TRUE(DdeObjectListPush(&older));
    ASSERT_TRUE(DdeObjectListPush(&newer));
    EXPECT_EQ(DdeObjectListHead()->object, &newer);
    EXPECT_EQ(DdeObjectListHead()->next->object, &older);

    DdeObjectListRemove(&older);
    ASSERT_NE(DdeObjectListHead(), nullptr);
    EXPECT_EQ(DdeObjectListHead()->object, &newer);
    EXPECT_EQ(DdeObjectListHead()->next, nullptr);

    DdeObjectListRemove(&older);  // not on the list: nothing happens
    DdeObjectListRemove(&newer);
    EXPECT_EQ(DdeObjectListHead(), nullptr);
}

}  // namespace
