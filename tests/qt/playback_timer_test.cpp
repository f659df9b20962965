// The pump timer ticks while its step asks for more, and then stops.

#include "platform/qt/playback_timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

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
    PlaybackTimer timer([&] { return ++steps < stopAfter; });
    EXPECT_FALSE(timer.isRunning());
    spin(50);
    EXPECT_EQ(steps, 0) << "an idle timer must not tick";

    timer.wake();
    timer.wake(); // a second wake does not start a second timer
    spin(500);
    // 500 ms at 16 ms a tick is about 31 ticks; a loaded machine gives fewer.
    EXPECT_GE(steps, 10);
    EXPECT_LE(steps, 35);

    stopAfter = steps + 3;
    spin(300);
    EXPECT_EQ(steps, stopAfter);
    EXPECT_FALSE(timer.isRunning());
    timer.wake();
    EXPECT_TRUE(timer.isRunning());
}

} // namespace
} // namespace qte
