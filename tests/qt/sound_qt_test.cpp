// Sound you can trust, heard through a real sound service (private_pulse.h):
// every play sounds to its last sample, the play cursor changes with the
// sound, and no run of transport actions leaves the editor playing silence.
// The playing side is a child process writing down, on the steady clock,
// what it did; the parent sets that against the recording.

#include "app/commands.h"
#include "app/editor_context.h"
#include "app/file_commands.h"
#include "app/menu.h"
#include "app/playback_commands.h"
#include "app/startup.h"
#include "app/tune_windows.h"
#include "config/frequency_table.h"
#include "config/text_config.h"
#include "platform/qt/playback_timer.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_wave_out.h"
#include "private_pulse.h"
#include "sound/renderer.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_dialogs.h"
#include "support/fake_wave_out.h"
#include "support/fake_window.h"
#include "support/memory_file_store.h"
#include "support/recording_message_sink.h"
#include "tune/tune_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace qte {
namespace {

using test::childPart;
using test::quoted;
using test::runChild;
using test::steadyMs;
using test::waitFor;

constexpr std::size_t kSamplesPerMs = 44; // rounded down, for silences
// "Within 10 ms" of a length, in samples.
constexpr std::size_t kLengthTolerance = 441;

// The steady-clock times and values a child writes down, one line each.
std::vector<std::vector<double>> readLog(const std::filesystem::path& path)
{
    std::vector<std::vector<double>> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<double> values;
        for (double v = 0; words >> v;)
            values.push_back(v);
        lines.push_back(values);
    }
    return lines;
}

// The log the parent named, writing times to the microsecond.
std::ofstream openChildLog()
{
    std::ofstream log(qEnvironmentVariable("QTE_WAVE_LOG").toStdString());
    log << std::fixed << std::setprecision(3);
    return log;
}

// The first and last sample that is not silence, of a rendered block.
test::Burst renderedSpan(const PcmBlock& pcm, std::uint32_t count)
{
    test::Burst span{count, 0};
    for (std::uint32_t i = 0; i < count; ++i)
        if (pcm[i] != kSilenceSample) {
            span.first = std::min<std::size_t>(span.first, i);
            span.last = i;
        }
    return span;
}

// Rising edges a second in the recorded samples of a burst.
double recordedHz(const std::string& rec, const test::Burst& b)
{
    std::size_t rises = 0;
    for (std::size_t i = b.first + 1; i <= b.last; ++i) {
        const auto prev = static_cast<unsigned char>(rec[i - 1]);
        const auto cur = static_cast<unsigned char>(rec[i]);
        if (prev < 128 && cur >= 128 && cur - prev > 10) ++rises;
    }
    return static_cast<double>(rises) * test::kRecordRate / static_cast<double>(b.length());
}

// A tune whose last note lasts 1,000 ms: a short A, a pause, a long C.
Tune endingTune()
{
    return test::TuneBuilder().note(0, 200, 69).note(300, 1300, 72).build();
}

struct Rendered {
    std::shared_ptr<const PcmBlock> block;
    std::uint32_t count = 0;
};

Rendered render(Tune tune)
{
    const TextConfig config;
    RenderResult r = renderTune(tune, config, BuildNoteFrequencies(DefaultFrequencyTable()), {});
    return {std::make_shared<const PcmBlock>(std::move(r.pcm)), r.sampleCount};
}

// Skips the test where there is no real sound to be had; otherwise starts
// the daemon and the recording.
#define START_PULSE(pulse)                                                                         \
    if (const std::string missing = test::PrivatePulse::missingTools(); !missing.empty())          \
        GTEST_SKIP() << missing;                                                                   \
    test::PrivatePulse pulse;                                                                      \
    if (!pulse.start())                                                                            \
        GTEST_SKIP() << "no PulseAudio daemon could be started here, so nothing can be recorded";  \
    ASSERT_TRUE(pulse.startRecording()) << "parec records nothing"

// The editor on fake windows, dialogs and files, with the real sound
// device, tick count and pump timer of the running program.
struct SoundEditor {
    RecordingMessageSink messages;
    fakes::FakeFileDialogs fileDialogs;
    fakes::FakeModalDialogs dialogs;
    MemoryFileStore files;
    QtTickClock tick;
    QtWaveOut waveOut;
    fakes::FakeWaveOut auditionOut;
    fakes::FakeWindow mainWindow{1280, 1000};
    fakes::FakeWindow matrix{915, 900};
    fakes::FakeWindow ringdata{430, 900};
    fakes::FakeWindow catalogue{300, 900};
    EditorContext ctx{PlatformServices{messages,
                                       fileDialogs,
                                       dialogs,
                                       files,
                                       tick,
                                       waveOut,
                                       auditionOut,
                                       mainWindow,
                                       {&matrix, &ringdata, &catalogue}}};
    // Runs after every pump.
    std::function<void()> pumped;
    PlaybackTimer pump{[this] {
        const std::optional<int> next = pumpPlayback(ctx, true);
        if (pumped) pumped();
        return next;
    }};

    SoundEditor()
    {
        // The project's config.cfg, whose note names the tunes are written in.
        files.files["/start/config.cfg"] = test::readFileOrDie(test::resourcePath("config.cfg"));
        startEditor(ctx, "/start");
        ctx.settings.scrollWhenPlaying = 1;
    }
    ~SoundEditor() { shutdownEditor(ctx); }
    // As the main window does after every command and click.
    void follow()
    {
        if (ctx.playState.playing != 0) pump.wake();
    }
    void waitUntilIdle(int timeoutMs)
    {
        bool idle = ctx.playState.playing == 0;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] { idle = ctx.playState.playing == 0; });
        check.start(5);
        (void)waitFor(idle, timeoutMs);
    }
};

// ---- every play sounds to its last sample ----

constexpr int kEndingPlays = 5;
constexpr int kBetweenPlaysMs = 400;

TEST(SoundChild, PlaysATuneToItsEndFiveTimes)
{
    if (childPart() != "ends")
        GTEST_SKIP() << "runs only as the child of QtWaveOutSound.EveryPlaySoundsToItsLastSample";
    QtWaveOut device;
    bool done = false;
    std::string error = "none";
    device.setDoneHandler([&](std::string_view e) {
        done = true;
        error = std::string(e);
    });
    ASSERT_EQ(device.open(), WaveOpenResult::Ok);
    const Rendered tune = render(endingTune());
    std::ofstream log = openChildLog();
    for (int i = 0; i < kEndingPlays; ++i) {
        done = false;
        const double written = steadyMs();
        ASSERT_TRUE(device.write(tune.block, tune.count, 1));
        ASSERT_TRUE(waitFor(done, 8000)) << "no done notification for play " << i + 1;
        EXPECT_EQ(error, "");
        log << written << " " << steadyMs() << "\n";
        log.flush();
        test::runEvents(kBetweenPlaysMs);
    }
}

// Five single plays of a tune ending in a 1,000 ms note: each records its
// whole rendered length, and the done notification comes once the last
// sample was heard, not before.
TEST(QtWaveOutSound, EveryPlaySoundsToItsLastSample)
{
    START_PULSE(pulse);
    const std::filesystem::path log = pulse.file("ends.log");
    EXPECT_TRUE(runChild(pulse.env() + " QTE_WAVE_CHILD=ends QTE_WAVE_LOG=" + quoted(log),
                         "SoundChild.PlaysATuneToItsEndFiveTimes"));
    const test::Recording rec = pulse.stopRecording();
    const Rendered tune = render(endingTune());
    const test::Burst span = renderedSpan(*tune.block, tune.count);
    const auto bursts = rec.bursts(250 * kSamplesPerMs);
    const auto times = readLog(log);
    ASSERT_EQ(bursts.size(), static_cast<std::size_t>(kEndingPlays));
    ASSERT_EQ(times.size(), static_cast<std::size_t>(kEndingPlays));
    for (int i = 0; i < kEndingPlays; ++i) {
        SCOPED_TRACE("play " + std::to_string(i + 1));
        const test::Burst& b = bursts[static_cast<std::size_t>(i)];
        EXPECT_NEAR(static_cast<double>(b.length()), static_cast<double>(span.length()),
                    static_cast<double>(kLengthTolerance));
        // Done after the last sample was heard, and soon after.
        const double doneAfterLast = times[static_cast<std::size_t>(i)][1] - rec.timeOf(b.last);
        EXPECT_GT(doneAfterLast, -10.0);
        EXPECT_LT(doneAfterLast, 1000.0);
        std::fprintf(stderr, "play %d: %zu of %zu samples, done %.1f ms after the last\n", i + 1,
                     b.length(), span.length(), doneAfterLast);
    }
}

// ---- the play cursor shows what is heard ----

// Short notes with silences between them, so each one's start and end can
// be found in the recording.
constexpr int kCursorNotes = 8;
constexpr int kCursorNoteMs = 150;
constexpr int kCursorGapMs = 100;
constexpr int cursorPitch(int i)
{
    return 64 + 2 * i;
}
// The cursor changes within kCursorToleranceMs of the sound, as the median
// of every start and end; no change is further off than kCursorWorstMs (a
// machine busy beyond its cores now and then holds one change back, by the
// GUI thread or by the recording). Under a sanitizer the GUI thread runs
// many times slower and its timers fire late by tens of milliseconds, so
// the bounds are wider there.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr double kCursorToleranceMs = 60.0;
constexpr double kCursorWorstMs = 300.0;
#else
constexpr double kCursorToleranceMs = 30.0;
constexpr double kCursorWorstMs = 100.0;
#endif

Tune cursorTune()
{
    test::TuneBuilder b;
    for (int i = 0; i < kCursorNotes; ++i) {
        const int start = i * (kCursorNoteMs + kCursorGapMs);
        b.note(start, start + kCursorNoteMs, cursorPitch(i));
    }
    return b.build();
}

// The note lit in the Matrix (its selected flag), 0 for none.
std::int32_t highlightedNote(const Tune& tune)
{
    for (int i = 1; i <= tune.noteCount; ++i)
        if (tune.noteTable[i].selected) return i;
    return 0;
}

TEST(SoundChild, PlaysWhileTheCursorFollows)
{
    if (childPart() != "cursor")
        GTEST_SKIP() << "runs only as the child of QtWaveOutSound.PlayCursorShowsWhatIsHeard";
    SoundEditor editor;
    EditorContext& ctx = editor.ctx;
    ASSERT_EQ(ctx.playState.deviceOpen, 1);
    ctx.document.open(cursorTune(), ctx.document.origin());
    std::ofstream log = openChildLog();
    // steady ms, lit key, Ringdata line's note, Matrix note: on every change.
    std::vector<std::int32_t> shown;
    editor.pumped = [&] {
        const std::vector<std::int32_t> now = {ctx.play.soundingPitch, ctx.followedNote,
                                               highlightedNote(ctx.tune())};
        if (now == shown) return;
        shown = now;
        log << steadyMs() << " " << now[0] << " " << now[1] << " " << now[2] << "\n";
    };
    runCommand(ctx, cmd::Play);
    editor.follow();
    ASSERT_EQ(ctx.playState.playing, 1);
    editor.waitUntilIdle(10000);
    EXPECT_EQ(ctx.playState.playing, 0);
    // The pump's last tick, which shows the play ended.
    test::runEvents(100);
    EXPECT_TRUE(editor.messages.shown.empty());
}

// Each note's start and end in the recording against the moment the key
// lights (and the Matrix note and the Ringdata line with it) and goes out.
TEST(QtWaveOutSound, PlayCursorShowsWhatIsHeard)
{
    START_PULSE(pulse);
    const std::filesystem::path log = pulse.file("cursor.log");
    EXPECT_TRUE(runChild(pulse.env() + " QTE_WAVE_CHILD=cursor QTE_WAVE_LOG=" + quoted(log),
                         "SoundChild.PlaysWhileTheCursorFollows"));
    const test::Recording rec = pulse.stopRecording();
    const auto bursts = rec.bursts(kCursorGapMs / 2 * kSamplesPerMs);
    const auto changes = readLog(log);
    ASSERT_EQ(bursts.size(), static_cast<std::size_t>(kCursorNotes));
    std::vector<double> offsets;
    for (int i = 0; i < kCursorNotes; ++i) {
        SCOPED_TRACE("note " + std::to_string(i + 1));
        const test::Burst& b = bursts[static_cast<std::size_t>(i)];
        const double heardFrom = rec.timeOf(b.first);
        const double heardTo = rec.timeOf(b.last + 1);
        double litAt = -1;
        double outAt = -1;
        for (const auto& c : changes) {
            ASSERT_EQ(c.size(), 4u);
            const bool lit = static_cast<int>(c[1]) == cursorPitch(i);
            if (lit && litAt < 0) {
                litAt = c[0];
                EXPECT_EQ(static_cast<int>(c[2]), i + 1) << "the Ringdata line";
                EXPECT_EQ(static_cast<int>(c[3]), i + 1) << "the Matrix note";
            } else if (!lit && litAt >= 0 && outAt < 0) {
                outAt = c[0];
            }
        }
        ASSERT_GE(litAt, 0) << "the key never lit";
        ASSERT_GE(outAt, 0) << "the key never went out";
        EXPECT_LT(std::abs(litAt - heardFrom), kCursorWorstMs);
        EXPECT_LT(std::abs(outAt - heardTo), kCursorWorstMs);
        offsets.push_back(std::abs(litAt - heardFrom));
        offsets.push_back(std::abs(outAt - heardTo));
        std::fprintf(stderr, "note %d: lit %+.1f ms, out %+.1f ms from the sound\n", i + 1,
                     litAt - heardFrom, outAt - heardTo);
    }
    std::sort(offsets.begin(), offsets.end());
    const double median = (offsets[kCursorNotes - 1] + offsets[kCursorNotes]) / 2;
    EXPECT_LT(median, kCursorToleranceMs);
    std::fprintf(stderr, "the cursor was %.1f ms off the sound (median), at most %.1f ms\n", median,
                 offsets.back());
}

// ---- no stuck state ----

constexpr int kSoakActions = 200;
constexpr unsigned kSoakSeed = 15;
constexpr int kFinalPitch = 76; // E5, heard last

// Short tunes to open and click: a catalogue of three and a file of one.
const char* const kShortTunes = "static TONE tone_one[] =\n{\n"
                                "        TONE(AUD_NOTE_A, TONE_TIME_IN_MS(150))\n"
                                "        TONE(AUD_NOTE_C2, TONE_TIME_IN_MS(150))\n};\n"
                                "static TONE tone_two[] =\n{\n"
                                "        TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(300))\n"
                                "        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(100))\n"
                                "        TONE(AUD_NOTE_G2, TONE_TIME_IN_MS(200))\n};\n"
                                "static TONE tone_three[] =\n{\n"
                                "        TONE(AUD_NOTE_D2, TONE_TIME_IN_MS(450))\n};\n";
const char* const kOneTune = "static TONE tone_single[] =\n{\n"
                             "        TONE(AUD_NOTE_F2, TONE_TIME_IN_MS(250))\n"
                             "        TONE(AUD_NOTE_A2, TONE_TIME_IN_MS(250))\n};\n";

// What the device does at one moment of the soak.
struct Sample {
    const PcmBlock* block = nullptr; // the play's, as each start renders anew
    bool sounding = false;           // playing and not paused
    std::int64_t heard = -1;
};

TEST(SoundChild, SoaksTheTransportThenPlaysOnce)
{
    if (childPart() != "soak")
        GTEST_SKIP() << "runs only as the child of QtWaveOutSound.NoRunOfActionsLeavesItStuck";
    SoundEditor editor;
    EditorContext& ctx = editor.ctx;
    ASSERT_EQ(ctx.playState.deviceOpen, 1);
    editor.files.files["/tunes/short.h"] = kShortTunes;
    editor.files.files["/tunes/single.h"] = kOneTune;
    ASSERT_TRUE(openRingdataFile(ctx, "/tunes/short.h"));
    ASSERT_EQ(ctx.catalogue.tuneCount, 3);
    for (int n = 3; n >= 1; --n) {
        ASSERT_TRUE(loadCatalogueEntry(ctx, n));
        ASSERT_GT(ctx.tune().noteCount, 0) << "tune " << n;
    }
    refreshViews(ctx);

    const auto sample = [&] {
        return Sample{ctx.playState.pcmBuffer.get(),
                      ctx.playState.playing == 1 && ctx.playState.paused == 0,
                      editor.waveOut.playedSamples().value_or(-1)};
    };
    std::mt19937 random(kSoakSeed);
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    // A play sounding (not paused) is heard to move on within this long; a
    // healthy one does in some milliseconds.
    constexpr int kHeardWithinMs = 300;
    int silentPlays = 0;
    int soundingChecks = 0;
    const auto expectSound = [&](int step) {
        const Sample first = sample();
        if (!first.sounding) return;
        ++soundingChecks;
        bool movedOn = false;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            const Sample now = sample();
            movedOn = !now.sounding || now.block != first.block || now.heard > first.heard;
        });
        check.start(2);
        if (waitFor(movedOn, kHeardWithinMs)) return;
        ++silentPlays;
        std::fprintf(stderr, "step %d: playing, nothing heard for %d ms (%lld samples)\n", step,
                     kHeardWithinMs, static_cast<long long>(sample().heard));
    };
    std::string actions;
    for (int step = 0; step < kSoakActions; ++step) {
        const int action = pick(0, 11);
        actions += static_cast<char>('a' + action);
        // Most actions come quickly; some let the play run on a while.
        int listenMs = pick(0, 80);
        switch (action) {
        case 0:
        case 1: clickToolbar(ctx, 20, 20); break;  // Play
        case 2: clickToolbar(ctx, 60, 20); break;  // Loop
        case 3: clickToolbar(ctx, 100, 20); break; // Stop
        case 4:
        case 5: clickToolbar(ctx, 140, 20); break; // Pause
        case 6:
        case 7: runCommand(ctx, cmd::Play); break; // Space
        case 8:
            editor.fileDialogs.answers.push_back(FileChoice{"/tunes/single.h", 1});
            runCommand(ctx, cmd::OpenRingingTone);
            break;
        case 9:
        case 10:
            catalogueMouseMove(ctx, 20, pick(1, 3) * 15 + 7);
            catalogueLeftDown(ctx);
            break;
        default: listenMs = pick(300, 700); break;
        }
        editor.follow();
        test::runEvents(20);
        expectSound(step);
        test::runEvents(listenMs);
        expectSound(step);
    }
    std::fprintf(stderr, "actions: %s\n", actions.c_str());
    EXPECT_EQ(silentPlays, 0);
    EXPECT_GE(soundingChecks, 20) << "the actions hardly let a tune play";
    std::fprintf(stderr, "%d times a tune was sounding\n", soundingChecks);

    // Stop whatever plays, loop off, and play one note of its own once.
    clickToolbar(ctx, 100, 20);
    editor.waitUntilIdle(3000);
    ASSERT_EQ(ctx.playState.playing, 0);
    if (ctx.playState.loopPlayback != 0) clickToolbar(ctx, 60, 20);
    ASSERT_EQ(ctx.playState.loopPlayback, 0);
    ctx.document.open(test::TuneBuilder().note(0, 500, kFinalPitch).build(), ctx.document.origin());
    test::runEvents(300);
    std::ofstream log = openChildLog();
    log << steadyMs();
    runCommand(ctx, cmd::Play);
    editor.follow();
    ASSERT_EQ(ctx.playState.playing, 1);
    editor.waitUntilIdle(5000);
    log << " " << steadyMs() << "\n";
    EXPECT_EQ(ctx.playState.playing, 0);
    EXPECT_EQ(ctx.playState.playButtonDown, 0);
    for (const auto& m : editor.messages.shown)
        ADD_FAILURE() << m.title << ": " << m.text;
}

// 200 transport actions from a fixed seed (Play, Loop, Pause, Stop, Space,
// Open, catalogue clicks, and now and then a while of listening), never a
// play that stays silent, and the play after them is heard whole.
TEST(QtWaveOutSound, NoRunOfActionsLeavesItStuck)
{
    START_PULSE(pulse);
    const std::filesystem::path log = pulse.file("soak.log");
    EXPECT_TRUE(runChild(pulse.env() + " QTE_WAVE_CHILD=soak QTE_WAVE_LOG=" + quoted(log),
                         "SoundChild.SoaksTheTransportThenPlaysOnce"));
    const test::Recording rec = pulse.stopRecording();
    const auto times = readLog(log);
    ASSERT_EQ(times.size(), 1u);
    ASSERT_EQ(times[0].size(), 2u);
    const double from = times[0][0];
    const double to = times[0][1];
    // The last sound of the recording is the final play (a sample's time is
    // known to some milliseconds: the sink renders a little ahead).
    const auto bursts = rec.bursts(100 * kSamplesPerMs);
    ASSERT_FALSE(bursts.empty());
    const test::Burst& last = bursts.back();
    EXPECT_GT(rec.timeOf(last.first), from - 20);
    EXPECT_LT(rec.timeOf(last.last), to + 20);
    const Rendered note = render(test::TuneBuilder().note(0, 500, kFinalPitch).build());
    EXPECT_NEAR(static_cast<double>(last.length()),
                static_cast<double>(renderedSpan(*note.block, note.count).length()),
                static_cast<double>(kLengthTolerance));
    const double hz = BuildNoteFrequencies(DefaultFrequencyTable())[kFinalPitch];
    EXPECT_NEAR(recordedHz(rec.samples, last), hz, hz * 0.02);
}

} // namespace
} // namespace qte
