// The splash screen's countdown on a clock set by hand.
#include <gtest/gtest.h>

#include "core/splash_countdown.hpp"

TEST(SplashCountdown, BarAndClosingByElapsedTime)
{
    struct Case {
        int elapsedMs;
        int bar;
        bool expired;
    };
    const Case cases[] = {
        {0, 10, false},     {500, 10, false},  {999, 10, false},  {1000, 9, false},
        {5500, 5, false},   {9000, 1, false},  {9999, 1, false},  {10000, 0, true},
        {10500, 0, true},   {59999, 0, true},
        // Busy past a minute: only the seconds part counts.
        {60000, 10, false}, {65000, 5, false}, {70000, 0, true},
    };
    const QTime start(12, 0, 0, 300);
    SplashCountdown countdown;
    countdown.start(start);
    for (const Case& c : cases) {
        const QTime now = start.addMSecs(c.elapsedMs);
        EXPECT_EQ(countdown.barValue(now), c.bar) << c.elapsedMs;
        EXPECT_EQ(countdown.expired(now), c.expired) << c.elapsedMs;
    }
}

TEST(SplashCountdown, RestartAndMidnight)
{
    SplashCountdown countdown;
    countdown.start(QTime(9, 0, 0));
    // A click on the progress bar after 8 seconds: 10 more seconds.
    countdown.start(QTime(9, 0, 8));
    EXPECT_FALSE(countdown.expired(QTime(9, 0, 17)));
    EXPECT_EQ(countdown.barValue(QTime(9, 0, 17)), 1);
    EXPECT_TRUE(countdown.expired(QTime(9, 0, 18)));

    countdown.start(QTime(23, 59, 55));
    EXPECT_EQ(countdown.barValue(QTime(0, 0, 2)), 3);
    EXPECT_TRUE(countdown.expired(QTime(0, 0, 5)));
}
