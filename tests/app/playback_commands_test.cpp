// Playback in the running editor through the fake sound device and clock:
// the device's life, the transport on the toolbar and the Space key, the
// pump moving the Matrix, and the done notification.

#include "app/playback_commands.h"

#include "app/audition.h"
#include "app/toolbar.h"
#include "editor_fixture.h"
#include "sound/renderer.h"

namespace qte {
namespace {

class PlaybackCommands : public test::EditorFixture {};

TEST_F(PlaybackCommands, DeviceOpensAtStartAndClosesAtShutdown)
{
    start();
    EXPECT_TRUE(waveOut.isOpen());
    EXPECT_EQ(ctx.playState.deviceOpen, 1);
    EXPECT_EQ(takeMessage(), "");
    shutdownEditor(ctx);
    EXPECT_FALSE(waveOut.isOpen());
    EXPECT_EQ(waveOut.calls.back(), "close");
}

TEST_F(PlaybackCommands, WithoutADeviceTheEditorRunsOnAndPlayOnlyReleasesTheButton)
{
    waveOut.openResult = WaveOpenResult::Allocated;
    start();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, waveOpenMessage(WaveOpenResult::Allocated)->text);
    addNote(0, 8, 69);
    runCommand(ctx, cmd::Play);
    EXPECT_TRUE(waveOut.writes.empty());
    EXPECT_EQ(ctx.playState.playing, 0);
    EXPECT_EQ(ctx.playState.playButtonDown, 0);
}

// The Matrix keeps the sounding note in its middle; the Ringdata view
// scrolls only to bring its line into view, and lights it.
TEST_F(PlaybackCommands, SpacePlaysAndBothViewsFollowTheSoundUntilDone)
{
    start();
    runCommand(ctx, cmd::Play); // nothing to play
    EXPECT_TRUE(waveOut.writes.empty());

    ctx.settings.scrollWhenPlaying = 1;
    // 120 notes of 8 units (375 ms at 160 bpm), rising.
    for (int i = 0; i < 120; ++i)
        addNote(8 * i, 8, 69 + i % 20);
    regenerateToneText(ctx);
    const int line = lineOf(LineItemKind::Note, 100);
    ASSERT_EQ(lineOf(LineItemKind::Note, 101), line + 1);
    const Colour plain100 = lineColour(ctx.toneText.lineInfo[line], ctx.tune());
    const Colour plain101 = lineColour(ctx.toneText.lineInfo[line + 1], ctx.tune());
    runCommand(ctx, cmd::Play);
    ASSERT_EQ(waveOut.writes.size(), 1u);
    EXPECT_EQ(waveOut.writes[0].plays, 1);
    EXPECT_EQ(ctx.playState.playing, 1);
    EXPECT_TRUE(ctx.play.playing);

    tick.advance(99 * 375 + 100);
    // The next tick is due when note 100 ends, 275 ms on (and just past it).
    EXPECT_EQ(pumpPlayback(ctx, true), 276);
    ASSERT_EQ(ctx.playState.currentNote, 100);
    EXPECT_EQ(ctx.play.soundingPitch, ctx.tune().noteTable[100].pitch);
    EXPECT_EQ(ctx.tune().noteTable[100].selected, 1);
    EXPECT_NEAR(ctx.matrixView.scrollUnits + ctx.matrixView.visibleUnits / 2, 8 * 99 + 2, 2);
    const RingdataView& view = ctx.ringdataView;
    EXPECT_GE(line, view.textTopLine);
    EXPECT_LT(line, view.textTopLine + view.textVisibleLines);
    EXPECT_GT(view.textTopLine, 0);
    EXPECT_EQ(ringdataWindow.scrollBar(ScrollBar::Vertical).position, view.textTopLine);
    EXPECT_NE(lineColour(ctx.toneText.lineInfo[line], ctx.tune()), plain100);

    // A note already in view does not scroll the text.
    const int top = view.textTopLine;
    tick.advance(375);
    EXPECT_TRUE(pumpPlayback(ctx, true));
    EXPECT_EQ(ctx.playState.currentNote, 101);
    EXPECT_EQ(view.textTopLine, top);
    EXPECT_EQ(lineColour(ctx.toneText.lineInfo[line], ctx.tune()), plain100);
    EXPECT_NE(lineColour(ctx.toneText.lineInfo[line + 1], ctx.tune()), plain101);

    // An inactive window is not pumped, but the timer keeps running.
    const int scrolled = ctx.matrixView.scrollUnits;
    tick.advance(2000);
    EXPECT_EQ(pumpPlayback(ctx, false), kNoChangeAhead);
    EXPECT_EQ(ctx.matrixView.scrollUnits, scrolled);

    // The sound ends: the button comes up, the highlights go, the timer stops.
    ASSERT_TRUE(waveOut.finish());
    EXPECT_EQ(ctx.playState.playing, 0);
    EXPECT_EQ(ctx.playState.playButtonDown, 0);
    EXPECT_FALSE(ctx.play.playing);
    EXPECT_EQ(ctx.tune().noteTable[101].selected, 0);
    EXPECT_FALSE(pumpPlayback(ctx, true));
    EXPECT_EQ(ctx.play.soundingPitch, 0);
    EXPECT_EQ(lineColour(ctx.toneText.lineInfo[line + 1], ctx.tune()), plain101);
}

TEST_F(PlaybackCommands, ToolbarTransport)
{
    start();
    addNote(0, 8, 69);
    addNote(8, 8, 71);

    // Loop is taken at the next start and only while nothing plays.
    clickToolbar(ctx, 60, 20);
    EXPECT_EQ(ctx.playState.loopPlayback, 1);
    clickToolbar(ctx, 47, 20); // between the Play and Loop pictures
    ASSERT_EQ(waveOut.writes.size(), 1u);
    EXPECT_EQ(waveOut.writes[0].plays, kLoopPlays);
    EXPECT_EQ(ctx.playState.playButtonDown, 1);
    clickToolbar(ctx, 60, 20);
    EXPECT_EQ(ctx.playState.loopPlayback, 1);

    clickToolbar(ctx, 140, 20);
    EXPECT_TRUE(waveOut.isPaused());
    EXPECT_EQ(ctx.playState.pauseButtonDown, 1);
    clickToolbar(ctx, 140, 20);
    EXPECT_FALSE(waveOut.isPaused());
    clickToolbar(ctx, 140, 20);

    // Stop resets the device; its done notification ends the play.
    clickToolbar(ctx, 100, 20);
    EXPECT_EQ(ctx.playState.playing, 0);
    EXPECT_EQ(ctx.playState.pauseButtonDown, 0);
    EXPECT_FALSE(waveOut.blockOut());
    EXPECT_FALSE(ctx.play.playing);
}

TEST_F(PlaybackCommands, ToolbarKeysSetTheLengthOfNewNotes)
{
    start();
    ctx.settings.styleMode = static_cast<std::int32_t>(StyleMode::Continuous);
    struct Step {
        int x, y, index, modifier;
        float units;
        bool repaints;
    };
    // Note values (their edges are in Toolbar.HitTestRectangles), then the dot
    // on, off and on again, a triplet replacing it, the double dot on and off;
    // then clicks outside every key and between groups.
    const Step steps[] = {{590, 45, 5, 0, 16.0f, true},        {500, 45, 2, 0, 2.0f, true},
                          {560, 20, 4, 0, 8.0f, true},         {675, 20, 4, 1, 12.0f, true},
                          {675, 20, 4, 0, 8.0f, true},         {675, 20, 4, 1, 12.0f, true},
                          {735, 20, 4, 3, 8.0f * 0.67f, true}, {705, 20, 4, 2, 14.0f, true},
                          {705, 20, 4, 0, 8.0f, true},         {300, 20, 4, 0, 8.0f, false},
                          {656, 20, 4, 0, 8.0f, false}};
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.x) + "," + std::to_string(s.y));
        const int before = mainWindow.invalidations;
        clickToolbar(ctx, s.x, s.y);
        EXPECT_EQ(ctx.noteLength.noteLengthIndex, s.index);
        EXPECT_EQ(ctx.noteLength.noteLengthModifier, s.modifier);
        EXPECT_FLOAT_EQ(ctx.noteLength.newNoteUnits, s.units);
        EXPECT_EQ(mainWindow.invalidations > before, s.repaints);
    }
    EXPECT_TRUE(dialogs.tempoShown.empty());
    EXPECT_TRUE(waveOut.writes.empty());

    // Natural style at 160 bpm: a quarter lasts 20 ms short of 375 ms.
    ctx.settings.styleMode = static_cast<std::int32_t>(StyleMode::Natural);
    clickToolbar(ctx, 560, 30);
    EXPECT_NEAR(ctx.noteLength.newNoteUnits, 355.0f / 46.875f, 1e-4);
}

// A tune opened while another plays replaces it in the ears too: the old
// block is reset before the file is read. A cancelled dialog leaves the play.
TEST_F(PlaybackCommands, OpenWhilePlayingStopsTheOldTuneFirst)
{
    startWithConfig();
    files.files["/tunes/one.h"] = test::readFileOrDie(test::resourcePath("examples/single_tone.h"));
    addNote(0, 8, 69);
    runCommand(ctx, cmd::Play);
    ASSERT_EQ(ctx.playState.playing, 1);
    clickToolbar(ctx, 140, 20); // paused

    runCommand(ctx, cmd::OpenRingingTone); // cancelled
    EXPECT_EQ(ctx.playState.playing, 1);
    EXPECT_TRUE(waveOut.blockOut());

    openFile("/tunes/one.h", FileKind::Ringdata);
    EXPECT_EQ(waveOut.calls, (std::vector<std::string>{"open", "write", "pause", "reset", "done"}));
    EXPECT_EQ(ctx.playState.playing, 0);
    EXPECT_EQ(ctx.playState.playButtonDown, 0);
    EXPECT_EQ(ctx.playState.pauseButtonDown, 0);
    EXPECT_FALSE(ctx.play.playing);
    EXPECT_EQ(ctx.document.origin().sourceName, "one.h");
    EXPECT_GT(ctx.tune().noteCount, 1);

    // The next Space plays the new tune.
    runCommand(ctx, cmd::Play);
    ASSERT_EQ(waveOut.writes.size(), 2u);
    EXPECT_EQ(ctx.playState.playing, 1);
}

// Space on a tune emptied while it plays stops the sound it still makes.
TEST_F(PlaybackCommands, SpaceOnAnEmptiedTuneStopsTheSound)
{
    start();
    addNote(0, 8, 69);
    runCommand(ctx, cmd::Play);
    ASSERT_TRUE(waveOut.blockOut());
    ctx.document.change("Clear all", [](Tune& t) { ClearTune(t); });
    runCommand(ctx, cmd::Play);
    EXPECT_FALSE(waveOut.blockOut());
    EXPECT_EQ(waveOut.writes.size(), 1u);
    EXPECT_EQ(ctx.playState.playing, 0);
    EXPECT_EQ(ctx.playState.playButtonDown, 0);
    EXPECT_FALSE(ctx.play.playing);
}

// Auditions have a device of their own: one sounding during a play neither
// resets nor pauses it, and a play started over an audition leaves it be.
TEST_F(PlaybackCommands, AuditionLeavesARunningPlayAlone)
{
    start();
    addNote(0, 8, 69);
    NoteRecord a;
    a.pitch = 81; // A5, 880 Hz
    auditionNote(ctx, a);
    ASSERT_EQ(auditionOut.writes.size(), 1u);
    const fakes::FakeWaveOut::Write& w = auditionOut.writes[0];
    EXPECT_EQ(w.plays, 1);
    // 300 ms of the note's square wave, as a tune renders it.
    EXPECT_EQ(w.sampleCount, 13229u);
    EXPECT_EQ(*w.block, renderNoteSound(ctx.noteFrequencyHz[81], kAuditionMs));

    runCommand(ctx, cmd::Play);
    EXPECT_EQ(auditionOut.calls, (std::vector<std::string>{"open", "write"}));
    const std::vector<std::string> playCalls = waveOut.calls;
    auditionNote(ctx, a);
    EXPECT_EQ(waveOut.calls, playCalls);
    EXPECT_TRUE(waveOut.blockOut());
    EXPECT_EQ(ctx.playState.playing, 1);
    EXPECT_EQ(auditionOut.writes.size(), 2u);

    // The option off, nothing sounds; its device is closed at shutdown.
    runCommand(ctx, cmd::SoundNotes);
    auditionNote(ctx, a);
    EXPECT_EQ(auditionOut.writes.size(), 2u);
    shutdownEditor(ctx);
    EXPECT_FALSE(auditionOut.isOpen());
}

// The button opens the dialog and nothing else; the dialog refuses tempos
// that cannot be played.
TEST_F(PlaybackCommands, TempoButtonOpensTheTempoDialogOnly)
{
    start();
    addNote(8, 8, 69);
    dialogs.tempoTexts = {"0", "-3", "1000", "fast", "120"};
    clickToolbar(ctx, 200, 20);
    EXPECT_EQ(dialogs.tempoShown, std::vector<std::int32_t>{kDefaultTempoBpm});
    EXPECT_EQ(takeMessages(),
              std::vector<std::string>(4, "Error!: The tempo must be a number from 1 to 999 bpm."));
    EXPECT_EQ(ctx.tune().tempoBpm, 120);
    EXPECT_EQ(ctx.toneText.toneTextLines[0], "        /*Tempo: 120bpm*/");
    // Units stay; milliseconds follow the tempo (8 units at 62.5 ms).
    EXPECT_EQ(ctx.tune().noteTable[1].startMs, 500);
    EXPECT_EQ(ctx.tune().noteTable[1].durationMs, 500);
    EXPECT_FLOAT_EQ(ctx.tune().noteTable[1].startUnits, 8.0f);
    EXPECT_EQ(ctx.playState.playing, 0);
    EXPECT_EQ(ctx.playState.loopPlayback, 0);
    EXPECT_EQ(waveOut.calls, (std::vector<std::string>{"open"}));
}

} // namespace
} // namespace qte
