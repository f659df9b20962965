// The Qt wave-out device against a real sound service: a private
// PulseAudio daemon with a null sink, whose monitor parec records. The
// playing side runs in a child process (this test program again, told by
// QTE_WAVE_CHILD which part to run), so it meets the daemon on its first
// connection to the sound service.

#include "platform/qt/qt_wave_out.h"

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

constexpr std::int32_t kProbePitch = 69;
constexpr std::int32_t kProbeMs = 1500;

std::string childPart()
{
    return qEnvironmentVariable("QTE_WAVE_CHILD").toStdString();
}

bool onPath(const char* program)
{
    const std::string cmd = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

std::string quoted(const std::filesystem::path& p)
{
    return "'" + p.string() + "'";
}

// Runs this program's test named filter in a child with the given
// environment prefix; true when it passed.
bool runChild(const std::string& environment, const std::string& filter)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    // 1>&2, not >/dev/stderr: opening that path truncates a log file the
    // test's output goes to.
    const std::string cmd = environment + " '" + self + "' --gtest_filter=" + filter + " 1>&2";
    return std::system(cmd.c_str()) == 0;
}

// Processes events until done or the time runs out.
bool waitFor(const bool& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done;
}

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

// The environment of clients that use a private runtime folder, where no
// client may start a daemon of its own.
std::string privateRuntime(const test::TempDir& runtime)
{
    chmod(runtime.path().c_str(), 0700);
    std::ofstream(runtime.file("client.conf")) << "autospawn = no\n";
    return "XDG_RUNTIME_DIR=" + quoted(runtime.path()) +
           " PULSE_CLIENTCONFIG=" + quoted(runtime.file("client.conf")) +
           " HOME=" + quoted(runtime.path());
}

class PrivatePulse {
public:
    PrivatePulse() : m_env(privateRuntime(m_runtime)) {}
    ~PrivatePulse()
    {
        stopRecording();
        if (m_started) (void)std::system((m_env + " pulseaudio --kill >/dev/null 2>&1").c_str());
    }

    bool start()
    {
        const std::string cmd = m_env +
                                " pulseaudio --daemonize=yes --exit-idle-time=-1 -n"
                                " --load='module-null-sink sink_name=qteprobe'"
                                " --load=module-native-protocol-unix >" +
                                quoted(m_runtime.file("daemon.log")) + " 2>&1";
        m_started = std::system(cmd.c_str()) == 0;
        return m_started;
    }
    bool startRecording()
    {
        const std::string cmd = m_env +
                                " parec -d qteprobe.monitor --format=u8 --rate=44100 --channels=1"
                                " >" +
                                quoted(recording()) + " 2>/dev/null & echo $! >" +
                                quoted(m_runtime.file("parec.pid"));
        if (std::system(cmd.c_str()) != 0) return false;
        std::ifstream(m_runtime.file("parec.pid")) >> m_parec;
        return m_parec > 0;
    }
    void stopRecording()
    {
        if (m_parec > 0) {
            kill(m_parec, SIGTERM);
            m_parec = 0;
            usleep(200 * 1000);
        }
    }
    [[nodiscard]] const std::string& env() const { return m_env; }
    [[nodiscard]] std::filesystem::path recording() const { return m_runtime.file("rec.raw"); }

private:
    test::TempDir m_runtime;
    std::string m_env;
    bool m_started = false;
    pid_t m_parec = 0;
};

TEST(QtWaveOut, RecordedSquareWaveHasTheNotesFrequency)
{
    if (!onPath("pulseaudio") || !onPath("parec"))
        GTEST_SKIP() << "pulseaudio and parec (packages pulseaudio, pulseaudio-utils) are needed "
                        "to record what the device plays";
    PrivatePulse pulse;
    if (!pulse.start())
        GTEST_SKIP() << "no PulseAudio daemon could be started here, so nothing can be recorded";
    ASSERT_TRUE(pulse.startRecording());
    usleep(300 * 1000);
    EXPECT_TRUE(runChild(pulse.env() + " QTE_WAVE_CHILD=play", "QtWaveOutChild.PlaysTheProbeNote"));
    usleep(300 * 1000);
    pulse.stopRecording();

    const std::string rec = test::readFileOrDie(pulse.recording());
    // Rising edges through the middle of the 118/138 square wave.
    std::vector<std::size_t> rises;
    for (std::size_t i = 1; i < rec.size(); ++i) {
        const auto prev = static_cast<unsigned char>(rec[i - 1]);
        const auto cur = static_cast<unsigned char>(rec[i]);
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

TEST(QtWaveOut, WithoutSoundServiceOpenFails)
{
    test::TempDir runtime;
    const std::string env = privateRuntime(runtime) + " PULSE_SERVER=" +
                            quoted(std::filesystem::path("unix:" + runtime.file("none").string())) +
                            " QTE_WAVE_CHILD=none";
    EXPECT_TRUE(runChild(env, "QtWaveOutChild.NoServiceMeansNoDevice"));
}

} // namespace
} // namespace qte
