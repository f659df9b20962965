#pragma once
// Real sound without a sound card, for the tests of the Qt wave-out device:
// a private PulseAudio daemon with a null sink, whose monitor parec records.
// The recording is read here as it arrives, with the steady-clock time of
// each piece, so a sample's time can be set against times the playing side
// (a child process on the same clock) writes down.
//
// The playing side runs in a child process (the test program again, told by
// QTE_WAVE_CHILD which part to run), so it meets the daemon on its first
// connection to the sound service.

#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace qte::test {

constexpr double kRecordRate = 44100.0;
constexpr unsigned char kRecordedSilence = 128;

// Milliseconds of the system's steady clock, the same in every process.
inline double steadyMs()
{
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline std::string childPart()
{
    return qEnvironmentVariable("QTE_WAVE_CHILD").toStdString();
}

inline bool onPath(const char* program)
{
    const std::string cmd = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

inline std::string quoted(const std::filesystem::path& p)
{
    return "'" + p.string() + "'";
}

// Runs this program's test named filter in a child with the given
// environment prefix; true when it passed.
inline bool runChild(const std::string& environment, const std::string& filter)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    // 1>&2, not >/dev/stderr: opening that path truncates a log file the
    // test's output goes to.
    const std::string cmd = environment + " '" + self + "' --gtest_filter=" + filter + " 1>&2";
    return std::system(cmd.c_str()) == 0;
}

// Runs the event loop, as the editor does, until done or the time runs out.
inline bool waitFor(const bool& done, int timeoutMs)
{
    QEventLoop loop;
    QElapsedTimer timer;
    timer.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done || timer.elapsed() >= timeoutMs) loop.quit();
    });
    check.start(2);
    if (!done) loop.exec();
    return done;
}

// Processes events for ms milliseconds.
inline void runEvents(int ms)
{
    const bool never = false;
    (void)waitFor(never, ms);
}

// The environment of clients that use a private runtime folder, where no
// client may start a daemon of its own.
inline std::string privateRuntime(const TempDir& runtime)
{
    chmod(runtime.path().c_str(), 0700);
    std::ofstream(runtime.file("client.conf")) << "autospawn = no\n";
    return "XDG_RUNTIME_DIR=" + quoted(runtime.path()) +
           " PULSE_CLIENTCONFIG=" + quoted(runtime.file("client.conf")) +
           " HOME=" + quoted(runtime.path());
}

// A run of sound between silences: its first and last sample not silent.
struct Burst {
    std::size_t first = 0;
    std::size_t last = 0;
    [[nodiscard]] std::size_t length() const { return last - first + 1; }
};

struct Recording {
    std::string samples; // unsigned 8-bit mono at 44,100 Hz; silence is 128
    // (steady-clock ms when a piece arrived, samples received with it)
    std::vector<std::pair<double, std::size_t>> arrivals;

    // When sample k was captured: from the piece, among those that came
    // within a second of it, that waited least on its way (the recording
    // runs in real time, but a busy machine may hold a stretch of it back).
    [[nodiscard]] double timeOf(std::size_t k) const
    {
        constexpr double kSecond = kRecordRate;
        double at = std::numeric_limits<double>::max();
        for (const auto& [ms, total] : arrivals) {
            const double after = static_cast<double>(total) - static_cast<double>(k);
            if (after >= 0 && after <= kSecond)
                at = std::min(at, ms - after * 1000.0 / kRecordRate);
        }
        return at;
    }
    // The sound between silences of at least minSilence samples.
    [[nodiscard]] std::vector<Burst> bursts(std::size_t minSilence) const
    {
        std::vector<Burst> out;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (static_cast<unsigned char>(samples[i]) == kRecordedSilence) continue;
            if (!out.empty() && i - out.back().last <= minSilence)
                out.back().last = i;
            else
                out.push_back({i, i});
        }
        return out;
    }
};

class PrivatePulse {
public:
    PrivatePulse() : m_env(privateRuntime(m_runtime)) {}
    ~PrivatePulse()
    {
        (void)stopRecording();
        stopProcess(m_keepAlive);
        if (m_started) (void)std::system((m_env + " pulseaudio --kill >/dev/null 2>&1").c_str());
    }
    PrivatePulse(const PrivatePulse&) = delete;
    PrivatePulse& operator=(const PrivatePulse&) = delete;

    // What is missing for real sound here, or "" when the tools are there.
    static std::string missingTools()
    {
        for (const char* tool : {"pulseaudio", "parec", "pacat", "pactl"})
            if (!onPath(tool))
                return std::string(tool) + " (packages pulseaudio, pulseaudio-utils) is needed to "
                                           "record what the device plays";
        return {};
    }

    // The daemon with its null sink, and a silent stream that keeps the sink
    // at a low latency: a null sink left alone renders up to two seconds
    // ahead of time, which no sound card does. False where no daemon starts.
    bool start()
    {
        const std::string cmd = m_env +
                                " pulseaudio --daemonize=yes --exit-idle-time=-1 -n"
                                " --load='module-null-sink sink_name=qteprobe'"
                                " --load=module-native-protocol-unix >" +
                                quoted(m_runtime.file("daemon.log")) + " 2>&1";
        m_started = std::system(cmd.c_str()) == 0;
        if (!m_started) return false;
        m_keepAlive = spawn("pacat -d qteprobe --format=s16le --rate=44100 --channels=1 "
                            "--latency-msec=10 /dev/zero",
                            nullptr);
        // A sink still running ahead makes the first second of sound start
        // late; the tests then say so by failing, not by skipping.
        if (!settle()) std::fprintf(stderr, "the null sink did not settle to a low latency\n");
        return true;
    }

    bool startRecording()
    {
        int out = -1;
        m_parec = spawn("parec -d qteprobe.monitor --format=u8 --rate=44100 --channels=1 "
                        "--latency-msec=5",
                        &out);
        if (m_parec <= 0) return false;
        m_reader = std::thread([this, out] {
            std::vector<char> buffer(1 << 16);
            for (;;) {
                const ssize_t n = read(out, buffer.data(), buffer.size());
                if (n <= 0) break;
                const double ms = steadyMs();
                const std::lock_guard lock(m_mutex);
                m_recording.samples.append(buffer.data(), static_cast<std::size_t>(n));
                m_recording.arrivals.emplace_back(ms, m_recording.samples.size());
            }
            close(out);
        });
        // parec is recording once its first piece has come.
        for (int i = 0; i < 200; ++i) {
            {
                const std::lock_guard lock(m_mutex);
                if (!m_recording.arrivals.empty()) return true;
            }
            usleep(10 * 1000);
        }
        return false;
    }

    // What was recorded; a short pause first lets the last sound arrive.
    Recording stopRecording()
    {
        if (m_parec <= 0) return {};
        usleep(200 * 1000);
        stopProcess(m_parec);
        if (m_reader.joinable()) m_reader.join();
        const std::lock_guard lock(m_mutex);
        return std::move(m_recording);
    }

    [[nodiscard]] const std::string& env() const { return m_env; }
    [[nodiscard]] std::filesystem::path file(const char* name) const
    {
        return m_runtime.file(name);
    }

private:
    // sh -c command in the private environment; out (when given) gets the
    // read end of its standard output.
    pid_t spawn(const std::string& command, int* out)
    {
        int fds[2] = {-1, -1};
        if (out && pipe(fds) != 0) return -1;
        const std::string line = m_env + " exec " + command + " 2>/dev/null";
        const pid_t pid = fork();
        if (pid == 0) {
            if (out) {
                dup2(fds[1], STDOUT_FILENO);
                close(fds[0]);
                close(fds[1]);
            }
            execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        if (out) {
            close(fds[1]);
            *out = fds[0];
            if (pid < 0) close(fds[0]);
        }
        return pid;
    }
    static void stopProcess(pid_t& pid)
    {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = 0;
    }
    // Waits until the sink runs at the keep-alive stream's latency.
    bool settle()
    {
        const std::string cmd = m_env + " pactl list sinks 2>/dev/null";
        for (int i = 0; i < 100; ++i) {
            usleep(100 * 1000);
            FILE* p = popen(cmd.c_str(), "r");
            if (!p) return false;
            char line[512];
            long latencyUs = -1;
            while (std::fgets(line, sizeof line, p))
                if (const char* at = std::strstr(line, "Latency: ")) latencyUs = std::atol(at + 9);
            pclose(p);
            if (latencyUs >= 0 && latencyUs < 50'000) return true;
        }
        return false;
    }

    TempDir m_runtime;
    std::string m_env;
    bool m_started = false;
    pid_t m_keepAlive = 0;
    pid_t m_parec = 0;
    std::thread m_reader;
    std::mutex m_mutex;
    Recording m_recording;
};

} // namespace qte::test
