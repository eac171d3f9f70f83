#pragma once
// The splash screen's countdown: 10 seconds from its start, shown on a
// progress bar that runs from 10 down to 0.
//
// Only the seconds part (0 to 59) of the time elapsed since the start
// counts, a quirk kept on purpose: a program busy for 60 to 69 seconds
// without a tick reads 0 to 9 and the splash stays until the seconds part
// reaches 10 again. Times are times of day; a countdown that
// runs over midnight goes on counting.

#include <QTime>

class SplashCountdown {
public:
    static constexpr int Length = 10;

    void start(const QTime& now) { m_start = now; }
    QTime startTime() const { return m_start; }

    // Whole seconds elapsed, seconds part only (0 to 59).
    int elapsedSeconds(const QTime& now) const;
    // The progress bar: 10 - elapsed, not below 0.
    int barValue(const QTime& now) const;
    // The splash closes at the first tick at which this is true.
    bool expired(const QTime& now) const { return elapsedSeconds(now) >= Length; }

private:
    QTime m_start = QTime(0, 0);
};
