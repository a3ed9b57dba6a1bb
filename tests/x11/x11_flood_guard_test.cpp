// The guard against a flood of property changes: when it stops listening,
// and how long it waits before listening again.
#include <gtest/gtest.h>

#include "platform/x11/x11_flood_guard.h"

namespace {

constexpr int64_t kSecond = 1'000'000'000;

// Counts one period's worth of changes at `time_ms`; true if they trip it.
bool Flood(X11ChangeRate& rate, xcb_timestamp_t time_ms)
{
    bool tripped = false;
    for (int i = 0; i <= X11ChangeRate::kMostChangesPerPeriod; ++i)
        tripped = rate.Count(time_ms) || tripped;
    return tripped;
}

// The time it listens again after stopping at `stop_ns`, probed in 10 ms steps.
int64_t ListensAgainAt(X11ChangeRate& rate, int64_t stop_ns)
{
    for (int64_t now = stop_ns; now < stop_ns + 60 * kSecond; now += kSecond / 100)
        if (rate.ListenAgainDue(now))
            return now;
    return -1;
}

TEST(ChangeRate, AFloodHeardAgainAtOnceDoublesTheWaitAndAQuietSpellSetsItBack)
{
    X11ChangeRate rate;
    // A window manager's pace is no flood, however long it goes on.
    for (xcb_timestamp_t ms = 0; ms < 10'000; ms += 10)
        EXPECT_FALSE(rate.Count(ms));

    int64_t now = 100 * kSecond;
    xcb_timestamp_t server_ms = 20'000;
    ASSERT_TRUE(Flood(rate, server_ms));
    rate.StopListening(now);
    EXPECT_FALSE(Flood(rate, server_ms)) << "not counted while not listening";
    int64_t again = ListensAgainAt(rate, now);
    EXPECT_EQ(again - now, kSecond);

    // Heard again at once: each wait twice the last, up to the longest.
    int64_t expected = kSecond;
    for (int round = 0; round < 8; ++round) {
        now = again + kSecond / 10;
        server_ms += 5'000;
        ASSERT_TRUE(Flood(rate, server_ms));
        rate.StopListening(now);
        expected = std::min(2 * expected, X11ChangeRate::kLongestDeafNs);
        again = ListensAgainAt(rate, now);
        EXPECT_EQ(again - now, expected) << "round " << round;
    }
    EXPECT_EQ(expected, X11ChangeRate::kLongestDeafNs);

    // A change seen while not listening puts listening off by the same wait.
    now = again + kSecond / 10;
    server_ms += 5'000;
    ASSERT_TRUE(Flood(rate, server_ms));
    rate.StopListening(now);
    rate.StopListening(now + 5 * kSecond);
    EXPECT_EQ(ListensAgainAt(rate, now) - now, 5 * kSecond + X11ChangeRate::kLongestDeafNs);

    // After a quiet spell of listening, a new flood waits the first while.
    const uint64_t listened = rate.ListenedAgain();
    now += 5 * kSecond + X11ChangeRate::kLongestDeafNs + 2 * kSecond;
    server_ms += 60'000;
    ASSERT_TRUE(Flood(rate, server_ms));
    rate.StopListening(now);
    EXPECT_EQ(ListensAgainAt(rate, now) - now, kSecond);
    EXPECT_EQ(rate.ListenedAgain(), listened + 1);
}

} // namespace
