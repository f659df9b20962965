// Playback in the running editor through the fake sound device and clock:
// the device's life, the transport on the toolbar and the Space key, the
// pump moving the Matrix, and the done notification.

#include "app/playback_commands.h"

#include "app/commands.h"
#include "app/menu.h"
#include "app/toolbar.h"
#include "editor_fixture.h"

namespace qte {
namespace {

// A point of the toolbar that hits the kind.
std::pair<int, int> pointOf(ToolbarHitKind kind)
{
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 800; ++x)
            if (toolbarHitTest(x, y).kind == kind) return {x, y};
    ADD_FAILURE() << "no toolbar point for kind " << static_cast<int>(kind);
    return {-1, -1};
}

class PlaybackCommands : public test::EditorFixture {
protected:
    void click(ToolbarHitKind kind)
    {
        const auto [x, y] = pointOf(kind);
        clickToolbar(ctx, x, y);
    }
};

TEST_F(PlaybackCommands, DeviceOpensAtStartAndClosesAtShutdown)
{
    start();
    EXPECT_TRUE(waveOut.isOpen());
    EXPECT_EQ(ctx.playState.deviceOpen, 1);
    EXPECT_TRUE(messages.shown.empty());
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

TEST_F(PlaybackCommands, SpacePlaysAndThePumpFollowsTheSoundUntilDone)
{
    start();
    runCommand(ctx, cmd::Play); // nothing to play
    EXPECT_TRUE(waveOut.writes.empty());

    ctx.settings.scrollWhenPlaying = 1;
    // 40 notes of 8 units (375 ms at 160 bpm), rising.
    for (int i = 0; i < 40; ++i)
        addNote(8 * i, 8, 69 + i % 20);
    runCommand(ctx, cmd::Play);
    ASSERT_EQ(waveOut.writes.size(), 1u);
    EXPECT_EQ(waveOut.writes[0].plays, 1);
    EXPECT_EQ(ctx.playState.playing, 1);
    EXPECT_TRUE(ctx.play.playing);

    // Half way through the tune the sounding note is number 21 and the
    // view has it in its middle.
    tick.advance(20 * 375 + 100);
    EXPECT_TRUE(pumpPlayback(ctx, true));
    EXPECT_EQ(ctx.play.soundingPitch, ctx.tune.noteTable[21].pitch);
    EXPECT_EQ(ctx.tune.noteTable[21].selected, 1);
    const int middle = ctx.matrixView.scrollUnits + ctx.matrixView.visibleUnits / 2;
    EXPECT_NEAR(middle, 8 * 20 + 2, 2);
    EXPECT_GE(ctx.matrixView.scrollUnits, 0);

    // An inactive window is not pumped, but the timer keeps running.
    const int scrolled = ctx.matrixView.scrollUnits;
    tick.advance(2000);
    EXPECT_TRUE(pumpPlayback(ctx, false));
    EXPECT_EQ(ctx.matrixView.scrollUnits, scrolled);

    // The sound ends: the button comes up, the highlight goes, the timer stops.
    ASSERT_TRUE(waveOut.finish());
    EXPECT_EQ(ctx.playState.playing, 0);
    EXPECT_EQ(ctx.playState.playButtonDown, 0);
    EXPECT_FALSE(ctx.play.playing);
    EXPECT_EQ(ctx.tune.noteTable[21].selected, 0);
    EXPECT_FALSE(pumpPlayback(ctx, true));
    EXPECT_EQ(ctx.play.soundingPitch, 0);
}

TEST_F(PlaybackCommands, ToolbarTransport)
{
    start();
    addNote(0, 8, 69);
    addNote(8, 8, 71);

    // Loop is taken at the next start and only while nothing plays.
    click(ToolbarHitKind::Loop);
    EXPECT_EQ(ctx.playState.loopPlayback, 1);
    click(ToolbarHitKind::Play);
    ASSERT_EQ(waveOut.writes.size(), 1u);
    EXPECT_EQ(waveOut.writes[0].plays, kLoopPlays);
    EXPECT_EQ(ctx.playState.playButtonDown, 1);
    click(ToolbarHitKind::Loop);
    EXPECT_EQ(ctx.playState.loopPlayback, 1);

    click(ToolbarHitKind::Pause);
    EXPECT_TRUE(waveOut.isPaused());
    click(ToolbarHitKind::Pause);
    EXPECT_FALSE(waveOut.isPaused());

    // Stop resets the device; its done notification ends the play.
    click(ToolbarHitKind::Stop);
    EXPECT_EQ(ctx.playState.playing, 0);
    EXPECT_FALSE(waveOut.blockOut());
    EXPECT_FALSE(ctx.play.playing);

    // A note value chosen on the key panel is what new notes get.
    const auto [x, y] = pointOf(ToolbarHitKind::NoteValue);
    int six = x;
    while (six < 800 && !(toolbarHitTest(six, y).kind == ToolbarHitKind::NoteValue &&
                          toolbarHitTest(six, y).index == 6))
        ++six;
    clickToolbar(ctx, six, y);
    EXPECT_EQ(ctx.noteLength.noteLengthIndex, 6);
    EXPECT_EQ(ctx.noteLength.newNoteUnits, 32.0f); // a whole note
}

TEST_F(PlaybackCommands, TempoButtonOpensTheTempoDialog)
{
    start();
    dialogs.tempoTexts = {"0", "120"};
    click(ToolbarHitKind::Tempo);
    ASSERT_EQ(dialogs.tempoShown.size(), 1u);
    EXPECT_EQ(dialogs.tempoShown[0], kDefaultTempoBpm);
    EXPECT_EQ(messages.shown.size(), 1u); // 0 bpm was refused
    EXPECT_EQ(ctx.tune.tempoBpm, 120);
    EXPECT_EQ(ctx.toneText.toneTextLines[0], "        /*Tempo: 120bpm*/");
}

} // namespace
} // namespace qte
