#include "app/playback_commands.h"

#include "app/dialog_commands.h"
#include "app/editor_context.h"
#include "app/toolbar.h"
#include "app/tune_windows.h"
#include "platform/wave_out.h"
#include "platform/window.h"
#include "playback/play_control.h"
#include "playback/playback.h"

#include <algorithm>

namespace qte {

namespace {

// What the Matrix shows of the sound follows the play state.
void showPlayState(EditorContext& ctx)
{
    ctx.play.playing = ctx.playState.playing != 0;
    ctx.play.soundingPitch = ctx.play.playing ? ctx.playState.soundingPitch : 0;
    ctx.play.playPosMs = ctx.playState.playPosMs;
}

} // namespace

PlaybackEnv playbackEnv(EditorContext& ctx)
{
    PlaybackHooks hooks;
    hooks.repaintToolbar = [&ctx] { repaintToolbar(ctx); };
    hooks.repaintMatrix = [&ctx] {
        showPlayState(ctx);
        repaintMatrix(ctx);
    };
    hooks.invalidateWindows = [&ctx] {
        showPlayState(ctx);
        repaintToolbar(ctx);
        repaintMatrix(ctx);
    };
    hooks.openTempoDialog = [&ctx] { runTempoDialog(ctx); };
    // Playback writes only its working fields and the highlight of the
    // sounding note.
    return PlaybackEnv{ctx.document.editable(), ctx.playState,         ctx.platform.waveOut,
                       ctx.platform.tick,       ctx.platform.messages, ctx.textConfig,
                       ctx.noteFrequencyHz,     ctx.settings,          std::move(hooks)};
}

void openSound(EditorContext& ctx)
{
    ctx.platform.waveOut.setDoneHandler([&ctx](std::string_view error) {
        PlaybackEnv env = playbackEnv(ctx);
        playbackDone(env, error);
    });
    PlaybackEnv env = playbackEnv(ctx);
    (void)openWaveDevice(env);
}

void closeSound(EditorContext& ctx)
{
    ctx.platform.waveOut.close();
    ctx.platform.waveOut.setDoneHandler({});
    ctx.playState.deviceOpen = 0;
}

void clickToolbar(EditorContext& ctx, int x, int y)
{
    PlaybackEnv env = playbackEnv(ctx);
    toolbarClick(x, y, env, ctx.noteLength);
    showPlayState(ctx);
}

void playCommand(EditorContext& ctx)
{
    PlaybackEnv env = playbackEnv(ctx);
    playKeyAction(env);
    showPlayState(ctx);
}

void stopSound(EditorContext& ctx)
{
    PlaybackEnv env = playbackEnv(ctx);
    stopAction(env);
    showPlayState(ctx);
}

void paintToolbar(EditorContext& ctx)
{
    if (ctx.buttonTable)
        drawToolbar(ctx.platform.mainWindow.surface(), *ctx.buttonTable, ctx.playState,
                    ctx.noteLength);
}

std::optional<int> pumpPlayback(EditorContext& ctx, bool windowActive)
{
    if (ctx.playState.playing == 0) {
        showPlayState(ctx);
        followPlayLine(ctx);
        return std::nullopt;
    }
    MatrixFollow follow{ctx.matrixView.visibleUnits, ctx.matrixView.scrollUnits};
    PlaybackEnv env = playbackEnv(ctx);
    env.hooks.repaintMatrix = [&ctx, &follow] {
        // The view keeps the sounding time in its middle, never before 0.
        ctx.matrixView.scrollUnits = std::max(follow.scrollUnits, 0);
        ctx.matrixView.horizontalBar.position = ctx.matrixView.scrollUnits;
        showPlayState(ctx);
        repaintMatrix(ctx);
    };
    const bool more = playbackTimerStep(env, follow, windowActive, ctx.keys.ctrlDown);
    followPlayLine(ctx);
    if (!more) return std::nullopt;
    // A clock not pumped now does not move, so nothing is due sooner.
    if (!windowActive || ctx.settings.scrollWhenPlaying == 0) return kNoChangeAhead;
    return playbackNextChangeMs(env);
}

} // namespace qte
