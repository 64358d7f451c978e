// The retry time-out of WritePort.
#include <gtest/gtest.h>

#include "job/job_retry.h"

using namespace zynlpr;

TEST(RetryTimedOut, StartsThreeSecondsInRunsOutAndSurvivesWrapAround) {
    LprPort port = {};
    EXPECT_FALSE(RetryTimedOut(&port, 0, 100000));  // zero never runs out
    EXPECT_EQ(0u, port.retryStartTick);

    EXPECT_FALSE(RetryTimedOut(&port, 5000, 100000));
    EXPECT_EQ(97000u, port.retryStartTick);
    EXPECT_FALSE(RetryTimedOut(&port, 5000, 101999));
    EXPECT_TRUE(RetryTimedOut(&port, 5000, 102000));
    EXPECT_EQ(0u, port.retryStartTick);

    // A time-out of 3 s or less runs out at the first look.
    EXPECT_TRUE(RetryTimedOut(&port, 3000, 50000));

    // Ticks wrap after 49.7 days.
    EXPECT_FALSE(RetryTimedOut(&port, 10000, 1000));  // start = 1000 - 3000, wrapped
    EXPECT_EQ(0xFFFFF830u, port.retryStartTick);
    EXPECT_FALSE(RetryTimedOut(&port, 10000, 7999));
    EXPECT_TRUE(RetryTimedOut(&port, 10000, 8000));
}
