// The transport and the play clock, against a fake device and a fake tick.

#include "playback/playback.h"

#include "config/frequency_table.h"
#include "config/text_config.h"
#include "config/user_settings.h"
#include "platform/tick.h"
#include "playback/play_control.h"
#include "support/fake_tick.h"
#include "support/fake_wave_out.h"
#include "support/recording_message_sink.h"
#include "tune/tune.h"
#include "tune/tune_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qte {
namespace {

using Calls = std::vector<std::string>;

// Three half-second notes: 60, 62, 64.
test::TuneBuilder threeNotes()
{
    test::TuneBuilder b;
    b.note(0, 500, 60).note(500, 1000, 62).note(1000, 1500, 64);
    return b;
}

struct Rig {
    Tune tune;
    PlayState state;
    fakes::FakeWaveOut device;
    fakes::FakeTickClock tick{};
    RecordingMessageSink messages;
    TextConfig config;
    NoteFrequencyTable hz = BuildNoteFrequencies(DefaultFrequencyTable());
    UserSettings settings;
    // The play button as each toolbar repaint drew it.
    std::vector<std::int32_t> toolbarPlayButton;
    int matrixRepaints = 0;
    int invalidations = 0;
    int tempoDialogs = 0;
    PlaybackEnv env{tune, state, device, tick, messages, config, hz, settings, {}};
    MatrixFollow follow{20, 0};

    explicit Rig(test::TuneBuilder notes = threeNotes()) : tune(notes.build())
    {
        env.hooks.repaintToolbar = [this] { toolbarPlayButton.push_back(state.playButtonDown); };
        env.hooks.repaintMatrix = [this] { ++matrixRepaints; };
        env.hooks.invalidateWindows = [this] { ++invalidations; };
        env.hooks.openTempoDialog = [this] { ++tempoDialogs; };
        device.setDoneHandler([this](std::string_view error) { playbackDone(env, error); });
    }
    void open() { ASSERT_EQ(openWaveDevice(env), 1); }
    // Lets ms pass and runs the pump once.
    void after(std::int32_t ms)
    {
        tick.now += static_cast<std::uint32_t>(ms);
        playbackPump(env, follow, false);
    }
    // The clock, the note it is in, the pitch sounding and the notes lit.
    [[nodiscard]] std::string clock() const
    {
        std::string s = std::to_string(state.playPosMs) + " ms, note " +
                        std::to_string(state.currentNote) + ", pitch " +
                        std::to_string(state.soundingPitch) + ", lit";
        for (int i = 1; i <= tune.noteCount; ++i)
            if (tune.noteTable[i].selected) s += " " + std::to_string(i);
        return s;
    }
    // Where the play starts and ends, and the repeat block it is in.
    [[nodiscard]] std::string span() const
    {
        return "from " + std::to_string(state.playPosMs) + " to " +
               std::to_string(state.playEndMs) + " ms, repeat " +
               std::to_string(state.currentRepeat);
    }
    // Playing and the two toolbar buttons.
    [[nodiscard]] std::string transport() const
    {
        return "playing " + std::to_string(state.playing) + ", play " +
               std::to_string(state.playButtonDown) + ", pause " +
               std::to_string(state.pauseButtonDown);
    }
};

// An open device and the three notes.
class OpenRig : public ::testing::Test, public Rig {
protected:
    void SetUp() override { open(); }
};
class Transport : public OpenRig {};
class PlayClock : public OpenRig {};

// An open that works is seen by the editor's start-up test.
TEST(WaveDevice, OpenFailuresShowTheirMessages)
{
    struct Case {
        WaveOpenResult result;
        const char* text; // nullptr: no box
        const char* title;
    };
    const Case cases[] = {
        {WaveOpenResult::BadDeviceId, "BADDEVICEID", "Problems with sound device"},
        {WaveOpenResult::Allocated,
         "Wave device is in use, close all other programs that use sounds and restart.",
         "No sounds"},
        {WaveOpenResult::NoDriver, "MMSYSERR_NODRIVER", "Problems with sound device"},
        {WaveOpenResult::NoMemory, "MMSYSERR_NOMEM", "Problems with sound device"},
        {WaveOpenResult::BadFormat, "WAVERR_BADFORMAT", "Problems with sound device"},
        {WaveOpenResult::Sync, "WAVERR_SYNC", "Problems with sound device"},
        {WaveOpenResult::Error, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.result));
        Rig rig;
        rig.device.openResult = c.result;
        EXPECT_EQ(openWaveDevice(rig.env), -1);
        EXPECT_EQ(rig.state.deviceOpen, 0);
        if (c.text == nullptr) {
            EXPECT_TRUE(rig.messages.shown.empty());
        } else {
            ASSERT_EQ(rig.messages.shown.size(), 1u);
            EXPECT_EQ(rig.messages.shown[0].text, c.text);
            EXPECT_EQ(rig.messages.shown[0].title, c.title);
            EXPECT_EQ(rig.messages.shown[0].buttons, MessageButtons::Ok);
        }
        // Only a device in use is closed again.
        EXPECT_EQ(rig.device.calls,
                  (c.result == WaveOpenResult::Allocated ? Calls{"open", "close"} : Calls{"open"}));
    }
}

TEST(PlayWithoutSound, WritesNoBlockAndReleasesTheButton)
{
    struct Case {
        const char* name;
        test::TuneBuilder notes;
        bool device;
        std::vector<std::int32_t> toolbar; // the play button at each repaint
    };
    const Case cases[] = {
        {"no notes", test::TuneBuilder(), true, {}},
        {"nothing to render", test::TuneBuilder().note(0, 0, 60), true, {1, 0}},
        {"no device", threeNotes(), false, {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.notes);
        rig.device.openResult = c.device ? WaveOpenResult::Ok : WaveOpenResult::BadDeviceId;
        (void)openWaveDevice(rig.env);
        rig.messages.shown.clear();
        playAction(rig.env);
        EXPECT_EQ(rig.toolbarPlayButton, c.toolbar);
        EXPECT_EQ(rig.transport(), "playing 0, play 0, pause 0");
        EXPECT_TRUE(rig.device.writes.empty());
        EXPECT_TRUE(rig.messages.shown.empty());
    }
}

TEST_F(Transport, PlayRunsUntilTheDoneNotification)
{
    // A free text 250 ms past the last note gives the sound its tail; what
    // tailMs held before is not used.
    tune = threeNotes().text(1750, "end").build();
    tune.tailMs = 9999;

    playAction(env);
    ASSERT_EQ(device.writes.size(), 1u);
    const fakes::FakeWaveOut::Write& w = device.writes[0];
    EXPECT_EQ(w.plays, 1);
    // 1.5 s of notes and the tail at 44.1 samples a millisecond, in single
    // precision: 1750 x 44.1f is just below 77175.
    EXPECT_EQ(w.sampleCount, 77174u);
    EXPECT_EQ(w.block, state.pcmBuffer);
    EXPECT_EQ(transport(), "playing 1, play 1, pause 0");
    EXPECT_EQ(state.playEndMs, 1750);
    EXPECT_EQ(state.lastTick, tick.now);

    // The sounding note is highlighted and its key lit; the last one is let go.
    after(600);
    EXPECT_EQ(clock(), "600 ms, note 2, pitch 62, lit 2");
    EXPECT_EQ(matrixRepaints, 1);
    after(1000);
    EXPECT_EQ(clock(), "1600 ms, note " + std::to_string(kPastLastNote) + ", pitch 0, lit");

    after(10);
    EXPECT_EQ(state.playing, 1);
    ASSERT_TRUE(device.finish());
    EXPECT_EQ(transport(), "playing 0, play 0, pause 0");
    EXPECT_EQ(invalidations, 1);
}

TEST_F(Transport, PlayOrStartWhilePlayingStopsTheOldBlockFirst)
{
    playAction(env);
    after(800);
    playAction(env);
    EXPECT_EQ(device.calls, (Calls{"open", "write", "reset", "done", "write"}));
    EXPECT_EQ(transport(), "playing 1, play 1, pause 0");
    EXPECT_EQ(state.playPosMs, 0);
    after(300);
    startPlayback(env); // as a keyboard command may
    EXPECT_EQ(device.calls,
              (Calls{"open", "write", "reset", "done", "write", "reset", "done", "write"}));
    EXPECT_EQ(transport(), "playing 1, play 1, pause 0");
    EXPECT_EQ(state.playPosMs, 0);

    // A playing state the actions do not know leaves Play alone.
    state.playing = 2;
    playAction(env);
    EXPECT_EQ(device.writes.size(), 3u);
}

// Space resets a playing device first, whatever the tune holds by then, and
// plays only a tune with notes.
TEST_F(Transport, SpaceResetsFirstThenPlaysATuneWithNotes)
{
    struct Case {
        const char* name;
        bool playing;
        bool paused;
        bool notes;
        Calls calls; // after "open"
        const char* transport;
    };
    const Case cases[] = {
        {"idle, notes", false, false, true, {"write"}, "playing 1, play 1, pause 0"},
        {"idle, empty", false, false, false, {}, "playing 0, play 0, pause 0"},
        {"playing, notes",
         true,
         false,
         true,
         {"reset", "done", "write"},
         "playing 1, play 1, pause 0"},
        {"playing, emptied", true, false, false, {"reset", "done"}, "playing 0, play 0, pause 0"},
        {"paused, emptied", true, true, false, {"reset", "done"}, "playing 0, play 0, pause 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.open();
        if (c.playing) {
            playAction(rig.env);
            if (c.paused) pauseAction(rig.env);
            rig.device.calls = {"open"};
        }
        if (!c.notes) rig.tune.noteCount = 0;
        playKeyAction(rig.env);
        Calls want{"open"};
        want.insert(want.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(rig.device.calls, want);
        EXPECT_EQ(rig.transport(), c.transport);
        EXPECT_EQ(rig.device.blockOut(), c.notes);
    }
}

// The sound service gives up: the play ends as a stop ends it, and its
// complaint is shown; the next play works.
TEST_F(Transport, ServiceFailureEndsThePlayWithItsMessage)
{
    playAction(env);
    after(700);
    ASSERT_TRUE(device.fail("The sound service stopped working; the tune was stopped."));
    EXPECT_EQ(transport(), "playing 0, play 0, pause 0");
    EXPECT_EQ(clock().substr(clock().find("lit")), "lit");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Error!");
    EXPECT_EQ(messages.shown[0].text, "The sound service stopped working; the tune was stopped.");
    ASSERT_TRUE(device.finish() == false);
    playAction(env);
    EXPECT_EQ(transport(), "playing 1, play 1, pause 0");
}

TEST_F(Transport, StopResetsOnlyWhilePlayingAndClearsTheHighlight)
{
    stopAction(env);
    EXPECT_EQ(device.calls, (Calls{"open"}));

    playAction(env);
    after(700);
    pauseAction(env);
    ASSERT_EQ(clock(), "700 ms, note 2, pitch 62, lit 2");
    stopAction(env);
    EXPECT_EQ(transport(), "playing 0, play 0, pause 0");
    EXPECT_FALSE(device.blockOut());
    EXPECT_EQ(tune.noteTable[2].selected, 0);
    EXPECT_EQ(tune.selectionMode, 0);
}

TEST_F(Transport, LoopSwitchesAndRepaintsTheToolbar)
{
    for (int before : {0, 1, 7}) { // anything but 1 becomes 1
        state.loopPlayback = before;
        loopAction(env);
        EXPECT_EQ(state.loopPlayback, before == 1 ? 0 : 1);
    }
    EXPECT_EQ(toolbarPlayButton.size(), 3u);
}

TEST_F(Transport, RefusedBlockIsReportedAndEndsThePlay)
{
    device.refuseWrites = true;
    playAction(env);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Couldn't write to wave device!");
    EXPECT_EQ(messages.shown[0].title, "Error!");
    EXPECT_EQ(transport(), "playing 0, play 0, pause 0");
    // The next play works once the device takes blocks again.
    device.refuseWrites = false;
    playAction(env);
    EXPECT_EQ(state.playing, 1);
}

TEST_F(PlayClock, LoopRestartKeepsTheOvershoot)
{
    tune = test::TuneBuilder().note(0, 1000, 60).note(1000, 2000, 67).build();
    state.loopPlayback = 1;
    playAction(env);
    ASSERT_EQ(span(), "from 0 to 2000 ms, repeat 0");

    after(1500);
    EXPECT_EQ(clock(), "1500 ms, note 2, pitch 67, lit 2");
    after(537); // 37 ms past the end
    EXPECT_EQ(clock(), "37 ms, note 1, pitch 60, lit 1");
    EXPECT_EQ(state.playing, 1);

    // Exactly at the end is not past it.
    after(1963);
    EXPECT_EQ(state.playPosMs, 2000);
    after(1);
    EXPECT_EQ(state.playPosMs, 1);
}

TEST_F(PlayClock, PauseStopsTheClock)
{
    playAction(env);
    after(300);
    tick.now += 200;
    pauseAction(env);
    EXPECT_EQ(state.playPosMs, 500);
    EXPECT_EQ(transport(), "playing 1, play 1, pause 1");
    EXPECT_EQ(state.paused, 1);
    EXPECT_TRUE(device.isPaused());

    after(5000);
    EXPECT_EQ(state.playPosMs, 500);
    tick.now += 10;
    pauseAction(env);
    EXPECT_EQ(transport(), "playing 1, play 1, pause 0");
    EXPECT_EQ(state.paused, 0);
    EXPECT_FALSE(device.isPaused());
    after(250);
    EXPECT_EQ(state.playPosMs, 750);
    EXPECT_EQ(device.calls, (Calls{"open", "write", "pause", "restart"}));

    // Pause does nothing while idle.
    ASSERT_TRUE(device.finish());
    pauseAction(env);
    EXPECT_EQ(state.paused, 0);
    EXPECT_EQ(device.calls.back(), "done");
}

TEST_F(PlayClock, RepeatBlockJumpsBackOnce)
{
    tune = threeNotes().repeat(500, 1000, 2).build();
    playAction(env);
    EXPECT_EQ(span(), "from 0 to 1500 ms, repeat 1");
    EXPECT_EQ(tune.repeatList[1].firstNote, 2);
    EXPECT_EQ(tune.repeatList[1].playsLeft, 2);

    after(1000);
    EXPECT_EQ(clock(), "1000 ms, note 2, pitch 62, lit 2");
    after(30); // past the block's end: back to its start
    EXPECT_EQ(clock(), "530 ms, note 2, pitch 62, lit 2");
    EXPECT_EQ(tune.repeatList[1].playsLeft, 1);

    after(500); // the second time through, on to the last note
    EXPECT_EQ(clock(), "1030 ms, note 3, pitch 64, lit 3");
    EXPECT_EQ(state.currentRepeat, 0);
}

TEST_F(PlayClock, PolitePlayStartsBeforeTheTune)
{
    tune = test::TuneBuilder().note(0, 200, 60).note(200, 400, 62).note(400, 900, 64).build();
    settings.playPolitely = 1;
    playAction(env);
    // The opening is the notes up to the first that ends at 360 ms or later.
    EXPECT_EQ(tune.politeNoteCount, 2);
    EXPECT_EQ(span(), "from " + std::to_string(-(6120 + 400)) + " to 900 ms, repeat 0");

    after(6519);
    EXPECT_EQ(state.playPosMs, -1);
    EXPECT_EQ(clock().substr(clock().find("pitch")), "pitch 0, lit");
    after(51);
    EXPECT_EQ(clock(), "50 ms, note 1, pitch 60, lit 1");
}

TEST_F(PlayClock, DefinedPoliteSectionIsSkipped)
{
    tune = threeNotes().repeat(0, 500, 3).repeat(1000, 1500, 2).build();
    tune.politeDefined = 1;
    tune.politeFirstNote = 1;
    tune.politeLastNote = 1;
    playAction(env);
    EXPECT_EQ(span() + ", note " + std::to_string(state.currentNote),
              "from 500 to 1500 ms, repeat 2, note 1");
}

TEST_F(PlayClock, SelectionPlayRunsFromTheFirstToTheLastSelectedNote)
{
    tune = test::TuneBuilder()
               .note(0, 500, 60)
               .note(500, 1000, 62, NoteKind::Normal, true)
               .note(1000, 1500, 64, NoteKind::Normal, true)
               .note(1500, 2000, 65)
               .repeat(0, 400, 2)
               .repeat(1000, 2000, 2)
               .build();
    tune.selectionMode = 2;
    playAction(env);
    EXPECT_EQ(span(), "from 500 to 1600 ms, repeat 2");

    after(100);
    EXPECT_EQ(clock(), "600 ms, note 2, pitch 62, lit 2 3");
    after(500);
    // The user's selection is not the playing highlight.
    EXPECT_EQ(clock(), "1100 ms, note 3, pitch 64, lit 2 3");
    ASSERT_TRUE(device.finish());
    EXPECT_EQ(tune.selectionMode, 2);
    EXPECT_EQ(clock().substr(clock().find("lit")), "lit 2 3");
}

TEST_F(PlayClock, PassesManyShortNotesInOnePump)
{
    test::TuneBuilder notes;
    for (int i = 0; i < 50; ++i)
        notes.note(10 * i, 10 * i + 10, 60 + i % 12);
    tune = notes.build();
    playAction(env);
    after(255);
    EXPECT_EQ(clock(), "255 ms, note 26, pitch 61, lit 26");
}

TEST_F(PlayClock, FollowKeepsTheClockInTheMiddle)
{
    playAction(env);
    after(1000);
    // 1000 / 46.875 = 21.33 units, less half of 20 columns.
    EXPECT_EQ(follow.scrollUnits, 11);
    tick.now += 5;
    playbackPump(env, follow, true); // Ctrl held: no repaint
    EXPECT_EQ(matrixRepaints, 1);
}

// Where the device counts the samples heard, the clock follows them and not
// the tick count, which runs ahead of the sound by the output's latency;
// while paused the count stands still, and so does the clock.
TEST_F(PlayClock, FollowsTheSamplesTheDeviceHeard)
{
    device.played = 0;
    playAction(env);
    struct Step {
        std::int32_t tickMs; // passes on the tick count
        std::int64_t heard;  // samples heard by then
        const char* clock;
    };
    const Step steps[] = {
        {120, 0, "0 ms, note 0, pitch 0, lit"},         // nothing heard yet
        {100, 4410, "100 ms, note 1, pitch 60, lit 1"}, // 100 ms heard
        {600, 24255, "550 ms, note 2, pitch 62, lit 2"},
        {5, 24299, "550 ms, note 2, pitch 62, lit 2"}, // 550.99 ms: whole ms only
        {5, 24300, "551 ms, note 2, pitch 62, lit 2"}, // no rounding carried over
    };
    for (const Step& st : steps) {
        device.played = st.heard;
        after(st.tickMs);
        EXPECT_EQ(clock(), st.clock) << st.tickMs << " ms, " << st.heard << " samples";
    }
    pauseAction(env);
    device.played = 30000; // a late report of the paused count
    after(400);
    EXPECT_EQ(state.playPosMs, 551);
    pauseAction(env);
    device.played = 30000 + 4410;
    after(100);
    EXPECT_EQ(state.playPosMs, 651);

    // A device that stops telling hands the clock back to the tick count.
    device.played.reset();
    after(40);
    EXPECT_EQ(state.playPosMs, 691);
}

// How long until the pump has something to change: the note's start or end
// that comes next, a repeat block's end, a looping play's end.
TEST_F(PlayClock, NextChangeIsTheNextTimeTheClockPasses)
{
    EXPECT_EQ(playbackNextChangeMs(env), kNoChangeAhead); // idle
    tune = threeNotes().repeat(500, 1200, 2).build();
    tune.noteTable[3].startMs = 1100; // a pause before the last note
    state.loopPlayback = 1;
    playAction(env);
    struct Step {
        std::int32_t ms;   // the clock moves on by
        std::int32_t next; // ms until the next change
    };
    const Step steps[] = {
        {0, 1},     // note 1 starts once the clock is past 0
        {100, 401}, // its end at 500
        {400, 1},   // at 500: note 2 starts once past it
        {1, 500},   // note 2 ends at 1000
        {500, 100}, // past note 2 (currentNote 3): its start at 1100
        {150, 50},  // the repeat block ends at 1200, before note 3 ends
    };
    for (const Step& st : steps) {
        after(st.ms);
        EXPECT_EQ(playbackNextChangeMs(env), st.next) << clock();
    }
    pauseAction(env);
    EXPECT_EQ(playbackNextChangeMs(env), kNoChangeAhead);
    pauseAction(env);

    // Past the last note, only a looping play's end (with the tail) is ahead.
    tune = threeNotes().text(1700, "end").build();
    state.loopPlayback = 0;
    playAction(env);
    after(1510);
    EXPECT_EQ(playbackNextChangeMs(env), kNoChangeAhead);
    state.loopPlayback = 1;
    EXPECT_EQ(playbackNextChangeMs(env), 191);
}

TEST_F(PlayClock, TickWrapsAround)
{
    tick.now = 0xFFFFFFF0u;
    playAction(env);
    tick.now = 0x10u;
    playbackPump(env, follow, false);
    EXPECT_EQ(state.playPosMs, 32);
}

TEST_F(PlayClock, TimerPumpsOnlyWhileFollowing)
{
    EXPECT_FALSE(playbackTimerStep(env, follow, true, false));
    playAction(env);
    tick.now += 100;
    // (window active, scroll when playing): the clock only moves with both.
    const std::tuple<bool, int, int> steps[] = {{false, 1, 0}, {true, 0, 0}, {true, 1, 100}};
    for (auto [active, scroll, pos] : steps) {
        settings.scrollWhenPlaying = scroll;
        EXPECT_TRUE(playbackTimerStep(env, follow, active, false));
        EXPECT_EQ(state.playPosMs, pos);
    }
    ASSERT_TRUE(device.finish());
    EXPECT_FALSE(playbackTimerStep(env, follow, true, false));
}

} // namespace
} // namespace qte
