// The pump timer ticks while its step asks for more, as soon as it asks
// within its regular interval, and then stops.

#include "platform/qt/playback_timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace qte {
namespace {

void spin(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

TEST(PlaybackTimer, RunsAtAboutSixtyHertzUntilTheStepSaysStop)
{
    int steps = 0;
    int stopAfter = 1000;
    int asked = kPumpIntervalMs;
    PlaybackTimer timer([&]() -> std::optional<int> {
        if (++steps < stopAfter) return asked;
        return std::nullopt;
    });
    EXPECT_FALSE(timer.isRunning());
    spin(50);
    EXPECT_EQ(steps, 0) << "an idle timer must not tick";

    timer.wake();
    timer.wake(); // a second wake does not start a second timer
    spin(500);
    // 500 ms at 16 ms a tick is about 31 ticks; a loaded machine gives fewer.
    EXPECT_GE(steps, 10);
    EXPECT_LE(steps, 35);

    // Asked for sooner ticks, it gives them; asked for later, it keeps to
    // its own interval.
    for (const auto& [ask, fewest, most] : {std::tuple(2, 60, 260), std::tuple(1000, 10, 35)}) {
        asked = ask;
        spin(50);
        const int before = steps;
        spin(500);
        EXPECT_GE(steps - before, fewest) << ask;
        EXPECT_LE(steps - before, most) << ask;
    }

    stopAfter = steps + 3;
    spin(300);
    EXPECT_EQ(steps, stopAfter);
    EXPECT_FALSE(timer.isRunning());
    timer.wake();
    EXPECT_TRUE(timer.isRunning());
}

} // namespace
} // namespace qte
