#include "playback/play_control.h"

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

void playKeyAction(PlaybackEnv& env)
{
    PlayState& s = env.state;
    if (s.playing == 1) {
        env.device.reset();
        s.pauseButtonDown = 0;
        repaintToolbar(env);
    }
    // The reset's done notification has cleared playing by now; a state it
    // did not clear is left alone.
    if (s.playing != 0 || env.tune.noteCount <= 0) return;
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
    if (s.paused == 0) {
        s.paused = 1;
        env.device.pause();
        advancePlayClock(env);
    } else {
        s.paused = 0;
        env.device.restart();
        holdPlayClock(env);
    }
    s.pauseButtonDown = s.paused;
    repaintToolbar(env);
}

void tempoAction(PlaybackEnv& env)
{
    if (env.hooks.openTempoDialog) env.hooks.openTempoDialog();
}

} // namespace qte
