// The transport and the play clock, against a fake device and a fake tick.

#include "sound/playback.h"

#include "config/frequency_table.h"
#include "config/text_config.h"
#include "config/user_settings.h"
#include "platform/fakes/fake_wave_out.h"
#include "platform/fakes/fake_tick.h"
#include "platform/messages.h"
#include "platform/tick.h"
#include "sound/play_control.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qte {
namespace {

void addNote(Tune& tune, std::int32_t startMs, std::int32_t endMs, std::int32_t pitch)
{
    NoteRecord& n = tune.noteTable[++tune.noteCount];
    n.startMs = startMs;
    n.endMs = endMs;
    n.durationMs = endMs - startMs;
    n.startUnits = msToUnits(startMs, tune.msPerUnit);
    n.endUnits = msToUnits(endMs, tune.msPerUnit);
    n.durationUnits = n.endUnits - n.startUnits;
    n.pitch = pitch;
}

void addRepeat(Tune& tune, std::int32_t startMs, std::int32_t endMs, std::int32_t repetitions)
{
    RepeatRecord& r = tune.repeatList[++tune.repeatCount];
    r.startMs = startMs;
    r.endMs = endMs;
    r.startUnits = msToUnits(startMs, tune.msPerUnit);
    r.endUnits = msToUnits(endMs, tune.msPerUnit);
    r.repetitions = repetitions;
}

// Three half-second notes: 60, 62, 64.
void threeNotes(Tune& tune)
{
    addNote(tune, 0, 500, 60);
    addNote(tune, 500, 1000, 62);
    addNote(tune, 1000, 1500, 64);
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

    Rig()
    {
        env.hooks.repaintToolbar = [this] { toolbarPlayButton.push_back(state.playButtonDown); };
        env.hooks.repaintMatrix = [this] { ++matrixRepaints; };
        env.hooks.invalidateWindows = [this] { ++invalidations; };
        env.hooks.openTempoDialog = [this] { ++tempoDialogs; };
        device.setDoneHandler([this] { playbackDone(env); });
    }
    void open() { ASSERT_EQ(openWaveDevice(env), 1); }
    // Lets ms pass and runs the pump once.
    void after(std::int32_t ms)
    {
        tick.now += static_cast<std::uint32_t>(ms);
        playbackPump(env, follow, false);
    }
};

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
        const bool closed = rig.device.calls.size() > 1 && rig.device.calls[1] == "close";
        EXPECT_EQ(closed, c.result == WaveOpenResult::Allocated);
    }
    Rig ok;
    EXPECT_EQ(openWaveDevice(ok.env), 1);
    EXPECT_EQ(ok.state.deviceOpen, 1);
    EXPECT_TRUE(ok.messages.shown.empty());
}

TEST(WaveDevice, WithoutADevicePlayOnlyReleasesTheButton)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.device.openResult = WaveOpenResult::BadDeviceId;
    (void)openWaveDevice(rig.env);
    rig.messages.shown.clear();

    playAction(rig.env);
    EXPECT_EQ(rig.toolbarPlayButton, (std::vector<std::int32_t>{1, 0}));
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_TRUE(rig.device.writes.empty());
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(Transport, PlayRunsUntilTheDoneNotification)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.tune.tailMs = 250;
    rig.open();

    playAction(rig.env);
    ASSERT_EQ(rig.device.writes.size(), 1u);
    const fakes::FakeWaveOut::Write& w = rig.device.writes[0];
    EXPECT_EQ(w.plays, 1);
    // 1.5 s of notes and the tail at 44.1 samples a millisecond, in single
    // precision: 1750 x 44.1f is just below 77175.
    EXPECT_EQ(w.sampleCount, 77174u);
    EXPECT_EQ(w.block, rig.state.pcmBuffer);
    EXPECT_EQ(rig.state.playing, 1);
    EXPECT_EQ(rig.state.playButtonDown, 1);
    EXPECT_EQ(rig.state.playEndMs, 1750);
    EXPECT_EQ(rig.state.lastTick, rig.tick.now);

    // The sounding note is highlighted and its key lit; the last one is let go.
    rig.after(600);
    EXPECT_EQ(rig.state.playPosMs, 600);
    EXPECT_EQ(rig.state.currentNote, 2);
    EXPECT_EQ(rig.state.soundingPitch, 62);
    EXPECT_EQ(rig.tune.noteTable[1].selected, 0);
    EXPECT_EQ(rig.tune.noteTable[2].selected, 1);
    EXPECT_EQ(rig.matrixRepaints, 1);
    rig.after(1000);
    EXPECT_EQ(rig.state.currentNote, kPastLastNote);
    EXPECT_EQ(rig.state.soundingPitch, 0);
    EXPECT_EQ(rig.tune.noteTable[3].selected, 0);

    rig.after(10);
    EXPECT_EQ(rig.state.playing, 1);
    ASSERT_TRUE(rig.device.finish());
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_EQ(rig.state.playButtonDown, 0);
    EXPECT_EQ(rig.invalidations, 1);
}

TEST(Transport, DoneClearsThePlayingHighlight)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.open();
    playAction(rig.env);
    rig.after(700);
    ASSERT_EQ(rig.tune.noteTable[2].selected, 1);
    stopAction(rig.env);
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_EQ(rig.tune.noteTable[2].selected, 0);
    EXPECT_EQ(rig.tune.selectionMode, 0);
}

TEST(Transport, PlayWhilePlayingStartsAgain)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.open();
    playAction(rig.env);
    rig.after(800);
    playAction(rig.env);
    EXPECT_EQ(rig.device.writes.size(), 2u);
    EXPECT_EQ(rig.device.calls,
              (std::vector<std::string>{"open", "write", "reset", "done", "write"}));
    EXPECT_EQ(rig.state.playing, 1);
    EXPECT_EQ(rig.state.playButtonDown, 1);
    EXPECT_EQ(rig.state.playPosMs, 0);

    // A playing state the actions do not know leaves Play alone.
    rig.state.playing = 2;
    playAction(rig.env);
    EXPECT_EQ(rig.device.writes.size(), 2u);
}

TEST(Transport, StartWhilePlayingStopsTheOldBlockFirst)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.open();
    playAction(rig.env);
    startPlayback(rig.env); // as a keyboard command may
    EXPECT_EQ(rig.device.calls,
              (std::vector<std::string>{"open", "write", "reset", "done", "write"}));
    EXPECT_EQ(rig.state.playing, 1);
    EXPECT_EQ(rig.state.playButtonDown, 1);
}

TEST(Transport, PlayNeedsNotes)
{
    Rig rig;
    rig.open();
    playAction(rig.env);
    EXPECT_TRUE(rig.device.writes.empty());
    EXPECT_TRUE(rig.toolbarPlayButton.empty());
}

TEST(Transport, StopResetsOnlyWhilePlaying)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.open();
    stopAction(rig.env);
    EXPECT_EQ(rig.device.calls, (std::vector<std::string>{"open"}));

    playAction(rig.env);
    pauseAction(rig.env);
    ASSERT_EQ(rig.state.pauseButtonDown, 1);
    stopAction(rig.env);
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_EQ(rig.state.playButtonDown, 0);
    EXPECT_EQ(rig.state.pauseButtonDown, 0);
    EXPECT_FALSE(rig.device.blockOut());
}

TEST(Transport, LoopSwitchesOnlyWhileIdleAndLoopsAHundredTimes)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.open();
    loopAction(rig.env);
    EXPECT_EQ(rig.state.loopPlayback, 1);
    loopAction(rig.env);
    EXPECT_EQ(rig.state.loopPlayback, 0);
    rig.state.loopPlayback = 7; // anything but 1 becomes 1
    loopAction(rig.env);
    EXPECT_EQ(rig.state.loopPlayback, 1);
    EXPECT_EQ(rig.toolbarPlayButton.size(), 3u);

    playAction(rig.env);
    ASSERT_EQ(rig.device.writes.size(), 1u);
    EXPECT_EQ(rig.device.writes[0].plays, kLoopPlays);
    loopAction(rig.env);
    EXPECT_EQ(rig.state.loopPlayback, 1);
}

TEST(PlayClock, LoopRestartKeepsTheOvershoot)
{
    Rig rig;
    addNote(rig.tune, 0, 1000, 60);
    addNote(rig.tune, 1000, 2000, 67);
    rig.open();
    rig.state.loopPlayback = 1;
    playAction(rig.env);
    ASSERT_EQ(rig.state.playEndMs, 2000);

    rig.after(1500);
    EXPECT_EQ(rig.tune.noteTable[2].selected, 1);
    rig.after(537); // 37 ms past the end
    EXPECT_EQ(rig.state.playPosMs, 37);
    EXPECT_EQ(rig.state.currentNote, 1);
    EXPECT_EQ(rig.state.soundingPitch, 60);
    EXPECT_EQ(rig.tune.noteTable[1].selected, 1);
    EXPECT_EQ(rig.tune.noteTable[2].selected, 0);
    EXPECT_EQ(rig.state.playing, 1);

    // Exactly at the end is not past it.
    rig.after(1963);
    EXPECT_EQ(rig.state.playPosMs, 2000);
    rig.after(1);
    EXPECT_EQ(rig.state.playPosMs, 1);
}

TEST(PlayClock, PauseStopsTheClock)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.open();
    playAction(rig.env);
    rig.after(300);
    rig.tick.now += 200;
    pauseAction(rig.env);
    EXPECT_EQ(rig.state.playPosMs, 500);
    EXPECT_EQ(rig.state.paused, 1);
    EXPECT_EQ(rig.state.pauseButtonDown, 1);
    EXPECT_TRUE(rig.device.isPaused());

    rig.after(5000);
    EXPECT_EQ(rig.state.playPosMs, 500);
    rig.tick.now += 10;
    pauseAction(rig.env);
    EXPECT_EQ(rig.state.paused, 0);
    EXPECT_EQ(rig.state.pauseButtonDown, 0);
    EXPECT_FALSE(rig.device.isPaused());
    rig.after(250);
    EXPECT_EQ(rig.state.playPosMs, 750);
    EXPECT_EQ(rig.device.calls,
              (std::vector<std::string>{"open", "write", "pause", "restart"}));

    // Pause does nothing while idle.
    ASSERT_TRUE(rig.device.finish());
    pauseAction(rig.env);
    EXPECT_EQ(rig.state.paused, 0);
    EXPECT_EQ(rig.device.calls.back(), "done");
}

TEST(PlayClock, RepeatBlockJumpsBackOnce)
{
    Rig rig;
    threeNotes(rig.tune);
    addRepeat(rig.tune, 500, 1000, 2);
    rig.open();
    playAction(rig.env);
    EXPECT_EQ(rig.tune.repeatList[1].firstNote, 2);
    EXPECT_EQ(rig.state.currentRepeat, 1);
    EXPECT_EQ(rig.tune.repeatList[1].playsLeft, 2);

    rig.after(1000);
    EXPECT_EQ(rig.state.playPosMs, 1000);
    EXPECT_EQ(rig.state.soundingPitch, 62);
    rig.after(30); // past the block's end: back to its start
    EXPECT_EQ(rig.state.playPosMs, 530);
    EXPECT_EQ(rig.tune.repeatList[1].playsLeft, 1);
    EXPECT_EQ(rig.state.currentNote, 2);
    EXPECT_EQ(rig.state.soundingPitch, 62);
    EXPECT_EQ(rig.tune.noteTable[2].selected, 1);

    rig.after(500); // the second time through, on to the last note
    EXPECT_EQ(rig.state.playPosMs, 1030);
    EXPECT_EQ(rig.state.currentRepeat, 0);
    EXPECT_EQ(rig.state.currentNote, 3);
    EXPECT_EQ(rig.state.soundingPitch, 64);
    EXPECT_EQ(rig.tune.noteTable[2].selected, 0);
}

TEST(PlayClock, PolitePlayStartsBeforeTheTune)
{
    Rig rig;
    addNote(rig.tune, 0, 200, 60);
    addNote(rig.tune, 200, 400, 62);
    addNote(rig.tune, 400, 900, 64);
    rig.settings.playPolitely = 1;
    rig.open();
    playAction(rig.env);
    // The opening is the notes up to the first that ends at 360 ms or later.
    EXPECT_EQ(rig.tune.politeNoteCount, 2);
    EXPECT_EQ(rig.state.playPosMs, -(6120 + 400));

    rig.after(6519);
    EXPECT_EQ(rig.state.playPosMs, -1);
    EXPECT_EQ(rig.state.soundingPitch, 0);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(rig.tune.noteTable[i].selected, 0);
    rig.after(51);
    EXPECT_EQ(rig.state.soundingPitch, 60);
    EXPECT_EQ(rig.tune.noteTable[1].selected, 1);
}

TEST(PlayClock, DefinedPoliteSectionIsSkipped)
{
    Rig rig;
    threeNotes(rig.tune);
    addRepeat(rig.tune, 0, 500, 3);
    addRepeat(rig.tune, 1000, 1500, 2);
    rig.tune.politeDefined = 1;
    rig.tune.politeFirstNote = 1;
    rig.tune.politeLastNote = 1;
    rig.open();
    playAction(rig.env);
    EXPECT_EQ(rig.state.currentNote, 1);
    EXPECT_EQ(rig.state.playPosMs, 500);
    EXPECT_EQ(rig.state.currentRepeat, 2);
}

TEST(PlayClock, SelectionPlayRunsFromTheFirstToTheLastSelectedNote)
{
    Rig rig;
    threeNotes(rig.tune);
    addNote(rig.tune, 1500, 2000, 65);
    addRepeat(rig.tune, 0, 400, 2);
    addRepeat(rig.tune, 1000, 2000, 2);
    rig.tune.noteTable[2].selected = 1;
    rig.tune.noteTable[3].selected = 1;
    rig.tune.selectionMode = 2;
    rig.open();
    playAction(rig.env);
    EXPECT_EQ(rig.state.playPosMs, 500);
    EXPECT_EQ(rig.state.playEndMs, 1600);
    EXPECT_EQ(rig.state.currentRepeat, 2);

    rig.after(100);
    EXPECT_EQ(rig.state.currentNote, 2);
    EXPECT_EQ(rig.state.soundingPitch, 62);
    rig.after(500);
    EXPECT_EQ(rig.state.soundingPitch, 64);
    // The user's selection is not the playing highlight.
    EXPECT_EQ(rig.tune.noteTable[2].selected, 1);
    EXPECT_EQ(rig.tune.noteTable[4].selected, 0);
    ASSERT_TRUE(rig.device.finish());
    EXPECT_EQ(rig.tune.selectionMode, 2);
    EXPECT_EQ(rig.tune.noteTable[3].selected, 1);
}

TEST(PlayClock, PassesManyShortNotesInOnePump)
{
    Rig rig;
    for (int i = 0; i < 50; ++i)
        addNote(rig.tune, 10 * i, 10 * i + 10, 60 + i % 12);
    rig.open();
    playAction(rig.env);
    rig.after(255);
    EXPECT_EQ(rig.state.currentNote, 26);
    EXPECT_EQ(rig.state.soundingPitch, 60 + 25 % 12);
    int lit = 0;
    for (int i = 1; i <= 50; ++i)
        lit += rig.tune.noteTable[i].selected;
    EXPECT_EQ(lit, 1);
}

TEST(PlayClock, FollowKeepsTheClockInTheMiddle)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.open();
    playAction(rig.env);
    rig.after(1000);
    // 1000 / 46.875 = 21.33 units, less half of 20 columns.
    EXPECT_EQ(rig.follow.scrollUnits, 11);
    rig.tick.now += 5;
    playbackPump(rig.env, rig.follow, true); // Ctrl held: no repaint
    EXPECT_EQ(rig.matrixRepaints, 1);
}

TEST(PlayClock, TickWrapsAround)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.tick.now = 0xFFFFFFF0u;
    rig.open();
    playAction(rig.env);
    rig.tick.now = 0x10u;
    playbackPump(rig.env, rig.follow, false);
    EXPECT_EQ(rig.state.playPosMs, 32);
}

TEST(PlayClock, TimerPumpsOnlyWhileFollowing)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.open();
    EXPECT_FALSE(playbackTimerStep(rig.env, rig.follow, true, false));
    playAction(rig.env);
    rig.tick.now += 100;
    EXPECT_TRUE(playbackTimerStep(rig.env, rig.follow, false, false));
    EXPECT_EQ(rig.state.playPosMs, 0);
    rig.settings.scrollWhenPlaying = 0;
    EXPECT_TRUE(playbackTimerStep(rig.env, rig.follow, true, false));
    EXPECT_EQ(rig.state.playPosMs, 0);
    rig.settings.scrollWhenPlaying = 1;
    EXPECT_TRUE(playbackTimerStep(rig.env, rig.follow, true, false));
    EXPECT_EQ(rig.state.playPosMs, 100);
    ASSERT_TRUE(rig.device.finish());
    EXPECT_FALSE(playbackTimerStep(rig.env, rig.follow, true, false));
}

TEST(Transport, RefusedBlockIsReportedAndEndsThePlay)
{
    Rig rig;
    threeNotes(rig.tune);
    rig.open();
    rig.device.refuseWrites = true;
    playAction(rig.env);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.messages.shown[0].text, "Couldn't write to wave device!");
    EXPECT_EQ(rig.messages.shown[0].title, "Error!");
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_EQ(rig.state.playButtonDown, 0);
    // The next play works once the device takes blocks again.
    rig.device.refuseWrites = false;
    playAction(rig.env);
    EXPECT_EQ(rig.state.playing, 1);
}

TEST(Transport, TempoOpensTheDialog)
{
    Rig rig;
    tempoAction(rig.env);
    EXPECT_EQ(rig.tempoDialogs, 1);
    EXPECT_TRUE(rig.device.calls.empty());
}

TEST(Transport, SoundlessTuneReleasesThePlayButton)
{
    Rig rig;
    addNote(rig.tune, 0, 0, 60); // nothing to render
    rig.open();
    playAction(rig.env);
    EXPECT_TRUE(rig.device.writes.empty());
    EXPECT_EQ(rig.state.playButtonDown, 0);
    EXPECT_EQ(rig.toolbarPlayButton, (std::vector<std::int32_t>{1, 0}));
}

} // namespace
} // namespace qte
