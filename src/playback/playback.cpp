#include "playback/playback.h"

#include "config/user_settings.h"
#include "io/messages.h"
#include "platform/tick.h"
#include "sound/renderer.h"
#include "tune/tone_generator.h"
#include "tune/tune.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace qte {
namespace {

// A pump after a long stall passes many repeat ends at once; this bounds
// the work of one call on blocks that end where they start.
constexpr int kMaxRepeatStepsPerPump = 10000;

// The clock stays far inside 32 bits, however long a play runs.
constexpr std::int64_t kClockMin = std::numeric_limits<std::int32_t>::min() / 2;
constexpr std::int64_t kClockMax = std::numeric_limits<std::int32_t>::max() / 2;

void call(const std::function<void()>& hook)
{
    if (hook) hook();
}

bool isNote(const Tune& tune, std::int32_t index)
{
    return index >= 1 && index <= tune.noteCount && index < kNoteSlots;
}

// The tick difference survives the counter's wrap.
std::int32_t elapsedMs(std::uint32_t now, std::uint32_t then)
{
    return static_cast<std::int32_t>(now - then);
}

// Whole milliseconds of a sample count, so that differences of two counts
// carry no rounding from one advance to the next.
std::int64_t samplesToMs(std::int64_t samples)
{
    return samples * 1000 / kWaveSampleRate;
}

void clearHighlight(Tune& tune, std::int32_t note)
{
    if (tune.selectionMode == 0 && isNote(tune, note)) tune.noteTable[note].selected = 0;
}

} // namespace

int openWaveDevice(PlaybackEnv& env)
{
    const WaveOpenResult result = env.device.open();
    if (result == WaveOpenResult::Ok) {
        env.state.deviceOpen = 1;
        return 1;
    }
    env.state.deviceOpen = 0;
    if (result == WaveOpenResult::Allocated) env.device.close();
    if (const auto message = waveOpenMessage(result))
        env.messages.show(message->text, message->title, MessageButtons::Ok);
    return -1;
}

void startPlayback(PlaybackEnv& env)
{
    PlayState& s = env.state;
    if (s.deviceOpen == 0) {
        s.playButtonDown = 0;
        call(env.hooks.repaintToolbar);
        return;
    }
    if (s.playing != 0) {
        // A block still out is given back first; its done notification must
        // not release the button of the play that starts now.
        const std::int32_t buttonDown = s.playButtonDown;
        env.device.reset();
        s.playButtonDown = buttonDown;
    }
    RenderOptions options;
    options.playPolitely = env.settings.playPolitely != 0;
    // The tail as the tone text has it, so the play lasts as the WAV export.
    env.tune.tailMs = TailMsOf(env.tune);
    RenderResult rendered = renderTune(env.tune, env.config, env.noteFrequencyHz, options);
    if (!rendered.ok()) {
        if (!rendered.message.empty())
            env.messages.show(rendered.message, rendered.title, MessageButtons::Ok);
        s.playButtonDown = 0;
        call(env.hooks.repaintToolbar);
        return;
    }
    s.pcmSampleCount = rendered.sampleCount;
    s.pcmBuffer = std::make_shared<const PcmBlock>(std::move(rendered.pcm));
    submitBuffer(env, rendered.sampleCount);
}

void submitBuffer(PlaybackEnv& env, std::uint32_t sampleCount)
{
    PlayState& s = env.state;
    resetPlayState(env);
    // The device counts the new block from its first sample.
    s.lastHeard = 0;
    const std::int32_t plays = s.loopPlayback != 0 ? kLoopPlays : 1;
    if (!env.device.write(s.pcmBuffer, sampleCount, plays)) {
        env.messages.showError(kWaveWriteFailedText);
        // Nothing was handed over, so no notification will end this play.
        s.playing = 0;
        s.playButtonDown = 0;
        call(env.hooks.repaintToolbar);
    }
}

void resetPlayState(PlaybackEnv& env)
{
    PlayState& s = env.state;
    Tune& tune = env.tune;
    const bool polite = env.settings.playPolitely != 0;

    s.playing = 1;
    s.paused = 0;
    s.pauseButtonDown = 0;
    call(env.hooks.repaintToolbar);

    s.playPosMs = 0;
    s.lastTick = env.tick.nowMs();
    s.currentNote = 0;
    const std::int32_t lastNote = std::clamp(tune.noteCount, 0, kMaxNotes);
    s.playEndMs = tune.noteTable[lastNote].endMs + tune.tailMs;

    const std::int32_t repeats = std::clamp(tune.repeatCount, 0, kMaxRepeats);
    s.currentRepeat = 0;
    if (repeats > 0) {
        s.currentRepeat = 1;
        for (int r = 1; r <= repeats; ++r)
            tune.repeatList[r].playsLeft = tune.repeatList[r].repetitions;
        if (!polite && tune.politeDefined != 0 && isNote(tune, tune.politeLastNote)) {
            const std::int32_t openingEnd = tune.noteTable[tune.politeLastNote].endMs;
            s.currentRepeat = 0;
            for (int r = 1; r <= repeats; ++r)
                if (tune.repeatList[r].startMs >= openingEnd) {
                    s.currentRepeat = r;
                    break;
                }
        }
    }

    if (polite && tune.politeDefined == 0) {
        const std::int32_t opening = std::clamp(tune.politeNoteCount, 0, lastNote);
        s.playPosMs = -kPolitePrefixMs - tune.noteTable[opening].endMs;
    }
    if (!polite && tune.politeDefined != 0 && isNote(tune, tune.politeLastNote)) {
        s.currentNote = tune.politeLastNote;
        s.playPosMs = tune.noteTable[tune.politeLastNote].endMs;
    }

    if (tune.selectionMode == 2) {
        std::int32_t first = 0;
        std::int32_t last = 0;
        for (int i = 1; i <= lastNote; ++i)
            if (tune.noteTable[i].selected != 0) {
                if (first == 0) first = i;
                last = i;
            }
        if (last == 0) last = lastNote;
        if (first != 0) {
            const std::int32_t from = tune.noteTable[first].startMs;
            for (int r = 1; r <= repeats; ++r)
                if (tune.repeatList[r].endMs > from) {
                    s.currentRepeat = r;
                    break;
                }
        }
        s.playPosMs = first != 0 ? tune.noteTable[first].startMs : 0;
        s.playEndMs = tune.noteTable[last].endMs + kSelectionTailMs;
    }
}

void advancePlayClock(PlaybackEnv& env)
{
    PlayState& s = env.state;
    const std::uint32_t now = env.tick.nowMs();
    const std::optional<std::int64_t> heard = env.device.playedSamples();
    std::int64_t by = elapsedMs(now, s.lastTick);
    if (heard && s.lastHeard >= 0) by = samplesToMs(*heard) - samplesToMs(s.lastHeard);
    s.playPosMs =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(s.playPosMs + by, kClockMin, kClockMax));
    s.lastTick = now;
    s.lastHeard = heard.value_or(-1);
}

void holdPlayClock(PlaybackEnv& env)
{
    env.state.lastTick = env.tick.nowMs();
    env.state.lastHeard = env.device.playedSamples().value_or(-1);
}

void playbackPump(PlaybackEnv& env, MatrixFollow& follow, bool ctrlDown)
{
    PlayState& s = env.state;
    Tune& tune = env.tune;
    const std::int32_t repeats = std::clamp(tune.repeatCount, 0, kMaxRepeats);

    if (s.paused == 0) advancePlayClock(env);

    // Repeat blocks: the clock jumps back to a block's start until its
    // plays are used up, then waits for the next block.
    for (int step = 0; step < kMaxRepeatStepsPerPump; ++step) {
        const std::int32_t c = s.currentRepeat;
        if (c < 1 || c > repeats || s.playPosMs <= tune.repeatList[c].endMs) break;
        RepeatRecord& rep = tune.repeatList[c];
        if (rep.playsLeft > 1) {
            if (s.currentNote != kPastLastNote) clearHighlight(tune, s.currentNote);
            s.playPosMs -= rep.endMs - rep.startMs;
            --rep.playsLeft;
            s.currentNote = std::max(rep.firstNote - 1, 0);
        } else {
            s.currentRepeat = c + 1 > repeats ? 0 : c + 1;
        }
    }

    if (s.loopPlayback != 0 && s.playPosMs > s.playEndMs) {
        const std::int32_t overshoot = s.playPosMs - s.playEndMs;
        if (tune.selectionMode == 0) ClearSelection(tune);
        s.soundingPitch = 0;
        resetPlayState(env);
        s.playPosMs += overshoot;
    }

    if (tune.msPerUnit > 0.0f)
        follow.scrollUnits =
            static_cast<std::int32_t>(static_cast<float>(s.playPosMs) / tune.msPerUnit -
                                      0.5f * static_cast<float>(follow.visibleUnits));

    // Notes: leave every note the clock has passed (a 60 Hz pump can pass
    // several short ones at once), then light the one it is in.
    const std::int32_t lastNote = std::clamp(tune.noteCount, 0, kMaxNotes);
    while (s.currentNote != kPastLastNote) {
        if (s.currentNote < 0 || s.currentNote > lastNote) {
            s.currentNote = kPastLastNote;
            break;
        }
        if (s.playPosMs <= tune.noteTable[s.currentNote].endMs) break;
        clearHighlight(tune, s.currentNote);
        ++s.currentNote;
        s.soundingPitch = 0;
        if (s.currentNote > lastNote) s.currentNote = kPastLastNote;
    }
    if (isNote(tune, s.currentNote) && s.playPosMs > tune.noteTable[s.currentNote].startMs) {
        NoteRecord& note = tune.noteTable[s.currentNote];
        s.soundingPitch = note.pitch;
        if (tune.selectionMode == 0) note.selected = 1;
    }

    if (!ctrlDown) call(env.hooks.repaintMatrix);
}

void playbackDone(PlaybackEnv& env, std::string_view error)
{
    env.state.playButtonDown = 0;
    env.state.playing = 0;
    if (env.tune.selectionMode == 0) ClearSelection(env.tune);
    call(env.hooks.invalidateWindows);
    if (!error.empty()) env.messages.showError(error);
}

std::int32_t playbackNextChangeMs(const PlaybackEnv& env)
{
    const PlayState& s = env.state;
    const Tune& tune = env.tune;
    if (s.playing == 0 || s.paused != 0) return kNoChangeAhead;
    std::int64_t next = kNoChangeAhead;
    // The clock passes a time once it is beyond it.
    const auto ahead = [&](std::int32_t atMs) {
        if (atMs >= s.playPosMs)
            next = std::min<std::int64_t>(next, std::int64_t{atMs} - s.playPosMs + 1);
    };
    for (const std::int32_t i : {s.currentNote, s.currentNote + 1})
        if (s.currentNote != kPastLastNote && isNote(tune, i)) {
            ahead(tune.noteTable[i].startMs);
            ahead(tune.noteTable[i].endMs);
        }
    if (s.currentRepeat >= 1 && s.currentRepeat <= std::min(tune.repeatCount, kMaxRepeats))
        ahead(tune.repeatList[s.currentRepeat].endMs);
    if (s.loopPlayback != 0) ahead(s.playEndMs);
    return static_cast<std::int32_t>(next);
}

bool playbackTimerStep(PlaybackEnv& env, MatrixFollow& follow, bool windowActive, bool ctrlDown)
{
    if (env.state.playing == 0) return false;
    if (windowActive && env.settings.scrollWhenPlaying != 0) playbackPump(env, follow, ctrlDown);
    return true;
}

} // namespace qte
