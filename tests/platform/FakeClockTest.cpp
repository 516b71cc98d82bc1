#include "FakeClock.h"

#include <gtest/gtest.h>

namespace flowcfg::test {

TEST(FakeClock, PausesAdvanceTheWallClockAcrossMidnight) {
    FakeClock clock;
    clock.setLocalTime({2026, 12, 31, 23, 59, 59, 900});
    FakeEventPump pump(clock);
    pump.pauseMs(1000, PauseTimer::BeforeRead);
    const LocalTime t = clock.now();
    EXPECT_EQ(t.year, 2027);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 1);
    EXPECT_EQ(t.second, 0);
    EXPECT_EQ(t.millisecond, 900);
    ASSERT_EQ(pump.pauses().size(), 1u);
    EXPECT_EQ(pump.pauses()[0], (RecordedPause{1000, PauseTimer::BeforeRead}));
}

} // namespace flowcfg::test
