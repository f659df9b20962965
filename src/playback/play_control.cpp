#include "playback/play_control.h"

#include "platform/tick.h"
#include "playback/playback.h"
#include "tune/tune.h"

namespace qte {
namespace {

void repaintToolbar(PlaybackEnv& env)
{
    if (env.hooks.repaintToolbar) env.hooks.repaintToolbar();
}

} // namespace

void playAction(PlaybackEnv& env)
{
    if (env.tune.noteCount <= 0) return;
    PlayState& s = env.state;
    const std::int32_t playing = s.playing;
    if (playing == 1) {
        env.device.reset();
        s.pauseButtonDown = 0;
        s.playing = 0;
    } else if (playing != 0) {
        return;
    }
    s.playButtonDown = 1;
    repaintToolbar(env);
    startPlayback(env);
}

void loopAction(PlaybackEnv& env)
{
    PlayState& s = env.state;
    if (s.playing != 0) return;
    s.loopPlayback = s.loopPlayback == 1 ? 0 : 1;
    repaintToolbar(env);
}

void stopAction(PlaybackEnv& env)
{
    PlayState& s = env.state;
    if (s.playing == 0) return;
    env.device.reset();
    s.pauseButtonDown = 0;
}

void pauseAction(PlaybackEnv& env)
{
    PlayState& s = env.state;
    if (s.playing != 1) return;
    const std::uint32_t now = env.tick.nowMs();
    if (s.paused == 0) {
        s.paused = 1;
        env.device.pause();
        s.playPosMs += static_cast<std::int32_t>(now - s.lastTick);
        s.lastTick = now;
    } else {
        s.paused = 0;
        env.device.restart();
        s.lastTick = now;
    }
    s.pauseButtonDown = s.paused;
    repaintToolbar(env);
}

void tempoAction(PlaybackEnv& env)
{
    if (env.hooks.openTempoDialog) env.hooks.openTempoDialog();
}

} // namespace qte
