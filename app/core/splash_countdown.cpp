#include "core/splash_countdown.hpp"

#include <algorithm>

int SplashCountdown::elapsedSeconds(const QTime& now) const
{
    constexpr int Day = 24 * 60 * 60 * 1000;
    int ms = m_start.msecsTo(now);
    if (ms < 0)
        ms += Day;
    return (ms / 1000) % 60;
}

int SplashCountdown::barValue(const QTime& now) const
{
    return std::max(0, Length - elapsedSeconds(now));
}
