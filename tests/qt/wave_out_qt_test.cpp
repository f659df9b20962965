// The Qt wave-out device against a real sound service (private_pulse.h):
// the note it plays is recorded at its frequency, and without a service
// there is no device.

#include "platform/qt/qt_wave_out.h"

#include "private_pulse.h"

#include "config/frequency_table.h"
#include "config/text_config.h"
#include "sound/renderer.h"
#include "support/testsupport.h"
#include "tune/tune.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qte {
namespace {

using test::childPart;
using test::quoted;
using test::runChild;
using test::waitFor;

constexpr std::int32_t kProbePitch = 69;
constexpr std::int32_t kProbeMs = 1500;

std::shared_ptr<const PcmBlock> renderProbe(std::uint32_t& sampleCount, std::int32_t& hz)
{
    Tune tune;
    NoteRecord& n = tune.noteTable[++tune.noteCount];
    n.startMs = 0;
    n.endMs = kProbeMs;
    n.durationMs = kProbeMs;
    n.endUnits = msToUnits(kProbeMs, tune.msPerUnit);
    n.durationUnits = n.endUnits;
    n.pitch = kProbePitch;
    const TextConfig config;
    const NoteFrequencyTable table = BuildNoteFrequencies(DefaultFrequencyTable());
    hz = table[kProbePitch];
    RenderResult r = renderTune(tune, config, table, {});
    sampleCount = r.sampleCount;
    return std::make_shared<const PcmBlock>(std::move(r.pcm));
}

// Child: plays the probe note to the end, then checks that a reset hands a
// looping block back at once.
TEST(QtWaveOutChild, PlaysTheProbeNote)
{
    if (childPart() != "play")
        GTEST_SKIP()
            << "runs only as the child of QtWaveOut.RecordedSquareWaveHasTheNotesFrequency";
    QtWaveOut device;
    int doneCount = 0;
    bool done = false;
    bool onGuiThread = true;
    device.setDoneHandler([&](std::string_view) {
        ++doneCount;
        done = true;
        onGuiThread = onGuiThread && QThread::currentThread() == qApp->thread();
    });
    ASSERT_EQ(device.open(), WaveOpenResult::Ok);
    std::uint32_t count = 0;
    std::int32_t hz = 0;
    const auto block = renderProbe(count, hz);
    ASSERT_GT(count, 0u);
    ASSERT_TRUE(device.write(block, count, 1));
    EXPECT_EQ(doneCount, 0);
    EXPECT_TRUE(waitFor(done, kProbeMs + 8000)) << "no done notification";
    EXPECT_EQ(doneCount, 1);
    EXPECT_TRUE(onGuiThread);

    done = false;
    ASSERT_TRUE(device.write(block, 4410, kLoopPlays));
    bool never = false;
    waitFor(never, 300);
    device.reset();
    EXPECT_EQ(doneCount, 2);
    waitFor(never, 300);
    EXPECT_EQ(doneCount, 2) << "a reset block was reported twice";
    device.close();
}

// The daemon of this child's sound service, by the pid file it keeps.
pid_t daemonPid()
{
    pid_t pid = 0;
    std::ifstream(qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString() + "/pulse/pid") >> pid;
    return pid;
}

// Child: a looping block on a service that stops reading (the daemon is
// stopped), then on one that is gone. The first comes back by itself,
// without a word; the second with the service's complaint; the device
// plays again once there is a service.
TEST(QtWaveOutChild, GivesTheBlockBackWhenTheServiceStopsOrDies)
{
    if (childPart() != "stall")
        GTEST_SKIP() << "runs only as the child of QtWaveOut.StalledOrLostServiceEndsThePlay";
    const pid_t daemon = daemonPid();
    ASSERT_GT(daemon, 0);
    QtWaveOut device;
    bool done = false;
    std::string error = "none";
    device.setDoneHandler([&](std::string_view e) {
        done = true;
        error = std::string(e);
    });
    ASSERT_EQ(device.open(), WaveOpenResult::Ok);
    std::uint32_t count = 0;
    std::int32_t hz = 0;
    const auto block = renderProbe(count, hz);
    const auto loopFor = [&](int ms) {
        done = false;
        error = "none";
        EXPECT_TRUE(device.write(block, count, kLoopPlays));
        test::runEvents(ms);
        EXPECT_FALSE(done);
    };

    loopFor(500);
    ASSERT_EQ(kill(daemon, SIGSTOP), 0);
    QElapsedTimer stalled;
    stalled.start();
    EXPECT_TRUE(waitFor(done, 10000)) << "a stalled output kept the play";
    EXPECT_EQ(error, "");
    // What the service held is counted first; then the wait for progress.
    EXPECT_LT(stalled.elapsed(), 6000);
    ASSERT_EQ(kill(daemon, SIGCONT), 0);

    // The service works again: the next block plays (and is stopped).
    loopFor(500);
    EXPECT_TRUE(device.playedSamples().value_or(0) > 0);
    device.reset();
    EXPECT_TRUE(done);

    loopFor(300);
    ASSERT_EQ(kill(daemon, SIGKILL), 0);
    EXPECT_TRUE(waitFor(done, 5000)) << "a lost service kept the play";
    EXPECT_NE(error, "") << "the user is not told why the sound stopped";
    EXPECT_NE(error, "none");
    std::fprintf(stderr, "stalled play given back after %lld ms; lost service: %s\n",
                 static_cast<long long>(stalled.elapsed()), error.c_str());
}

// Child: without a sound service Qt's default output is null.
TEST(QtWaveOutChild, NoServiceMeansNoDevice)
{
    if (childPart() != "none")
        GTEST_SKIP() << "runs only as the child of QtWaveOut.WithoutSoundServiceOpenFails";
    QtWaveOut device;
    EXPECT_EQ(device.open(), WaveOpenResult::BadDeviceId);
    auto block = std::make_shared<const PcmBlock>(100, std::uint8_t{128});
    EXPECT_FALSE(device.write(block, 100, 1));
}

TEST(QtWaveOut, RecordedSquareWaveHasTheNotesFrequency)
{
    if (const std::string missing = test::PrivatePulse::missingTools(); !missing.empty())
        GTEST_SKIP() << missing;
    test::PrivatePulse pulse;
    if (!pulse.start())
        GTEST_SKIP() << "no PulseAudio daemon could be started here, so nothing can be recorded";
    ASSERT_TRUE(pulse.startRecording());
    EXPECT_TRUE(runChild(pulse.env() + " QTE_WAVE_CHILD=play", "QtWaveOutChild.PlaysTheProbeNote"));
    const std::string rec = pulse.stopRecording().samples;
    // Rising edges through the middle of the 118/138 square wave, over the
    // first 1.2 s of the probe note only: the looping block follows it.
    std::vector<std::size_t> rises;
    for (std::size_t i = 1; i < rec.size(); ++i) {
        const auto prev = static_cast<unsigned char>(rec[i - 1]);
        const auto cur = static_cast<unsigned char>(rec[i]);
        if (!rises.empty() && i - rises.front() > kWaveSampleRate * 12 / 10) break;
        if (prev < 128 && cur >= 128 && cur - prev > 10) rises.push_back(i);
    }
    std::uint32_t count = 0;
    std::int32_t hz = 0;
    (void)renderProbe(count, hz);
    ASSERT_GT(hz, 400);
    // At least a second of the note: start-up latency may cut its head.
    ASSERT_GT(rises.size(), static_cast<std::size_t>(hz)) << rec.size() << " bytes recorded";
    const double seconds = double(rises.back() - rises.front()) / kWaveSampleRate;
    const double measured = double(rises.size() - 1) / seconds;
    EXPECT_NEAR(measured, hz, hz * 0.01) << rises.size() << " rising edges";
    std::fprintf(stderr, "recorded %.2f Hz for %d Hz\n", measured, hz);
}

TEST(QtWaveOut, StalledOrLostServiceEndsThePlay)
{
    if (const std::string missing = test::PrivatePulse::missingTools(); !missing.empty())
        GTEST_SKIP() << missing;
    test::PrivatePulse pulse;
    if (!pulse.start())
        GTEST_SKIP() << "no PulseAudio daemon could be started here, so nothing can be played";
    EXPECT_TRUE(runChild(pulse.env() + " QTE_WAVE_CHILD=stall",
                         "QtWaveOutChild.GivesTheBlockBackWhenTheServiceStopsOrDies"));
}

TEST(QtWaveOut, WithoutSoundServiceOpenFails)
{
    test::TempDir runtime;
    const std::string env = test::privateRuntime(runtime) + " PULSE_SERVER=" +
                            quoted(std::filesystem::path("unix:" + runtime.file("none").string())) +
                            " QTE_WAVE_CHILD=none";
    EXPECT_TRUE(runChild(env, "QtWaveOutChild.NoServiceMeansNoDevice"));
}

} // namespace
} // namespace qte
