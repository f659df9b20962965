#pragma once
// Playback through the sound card: the whole rendered tune goes to the
// wave-out device as one block, and a play clock in tune time follows it so
// the views can show the sounding note and scroll with it. The clock moves
// with the samples the device reports heard, so what is shown is what is
// heard; the tick count stands in where the device cannot tell.
//
// Everything here runs on the GUI thread. The device's done notification
// must be connected to playbackDone (the device delivers it on that thread).

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "config/frequency_table.h"
#include "platform/wave_out.h"

namespace qte {

struct Tune;
struct TextConfig;
struct UserSettings;
class TickClock;
class MessageSink;

// currentNote once the clock has passed the last note.
constexpr std::int32_t kPastLastNote = 32767;
// The polite prefix before the opening: 3,120 ms of lead-in, and 3,000 ms
// of silence after it.
constexpr std::int32_t kPolitePrefixMs = 6120;
// A selection play ends this long after its last note.
constexpr std::int32_t kSelectionTailMs = 100;
constexpr const char* kWaveWriteFailedText = "Couldn't write to wave device!";

struct PlayState {
    std::int32_t deviceOpen = 0;      // 1 after a successful openWaveDevice
    std::int32_t playing = 0;         // 1 from a submitted block until its done notification
    std::int32_t paused = 0;          // 1 while the device is paused
    std::int32_t loopPlayback = 0;    // the toolbar's loop toggle, read at each start
    std::int32_t playButtonDown = 0;  // drawing state of the toolbar's play button
    std::int32_t pauseButtonDown = 0; // drawing state of the toolbar's pause button
    std::int32_t playPosMs = 0;       // the play clock in tune time; negative in a polite prefix
    std::uint32_t lastTick = 0;       // tick count at which playPosMs was last advanced
    std::int64_t lastHeard = -1;      // the device's heard samples then; -1 it could not tell
    std::int32_t playEndMs = 0;       // tune time at which a looping clock restarts
    std::int32_t currentRepeat = 0;   // repeat block whose end the clock waits for, 0 none
    std::int32_t currentNote = 0;     // note the clock is in or waits for, or kPastLastNote
    std::int32_t soundingPitch = 0;   // pitch of the note under the clock, 0 none

    // The block on the device (pcmBuffer); shared with it while it plays.
    std::shared_ptr<const PcmBlock> pcmBuffer;
    std::uint32_t pcmSampleCount = 0;
};

// The Matrix view's horizontal window, as the pump needs it.
struct MatrixFollow {
    std::int32_t visibleUnits = 0; // in: unit columns shown
    std::int32_t scrollUnits = 0;  // out: unit of the first column
};

// What playback asks of the windows. Empty hooks are skipped.
struct PlaybackHooks {
    std::function<void()> repaintToolbar;    // drawToolbar into the main window
    std::function<void()> repaintMatrix;     // RepaintMatrix
    std::function<void()> invalidateWindows; // the main and Matrix edit windows, no erase
    std::function<void()> openTempoDialog;   // the modal tempo dialog
};

// The records playback works on; all owned by the editor.
struct PlaybackEnv {
    Tune& tune;
    PlayState& state;
    WaveOutDevice& device;
    const TickClock& tick;
    MessageSink& messages;
    const TextConfig& config;
    const NoteFrequencyTable& noteFrequencyHz;
    const UserSettings& settings;
    PlaybackHooks hooks;
};

// Opens the device once at start. Returns 1, or -1 after a failure, which
// is shown in its message box where it has one. deviceOpen tells the result.
[[nodiscard]] int openWaveDevice(PlaybackEnv& env);

// Renders the tune and plays it from the start. Without an open device it
// only releases the play button. A block still playing is stopped first.
void startPlayback(PlaybackEnv& env);

// Puts the clock at the start and hands pcmBuffer to the device, once or
// kLoopPlays times as loopPlayback says. A refused block is reported with
// "Couldn't write to wave device!" and leaves nothing playing.
void submitBuffer(PlaybackEnv& env, std::uint32_t sampleCount);

// The clock and cursors at the start of the rendered sound.
void resetPlayState(PlaybackEnv& env);

// Moves the clock on to now: by the samples the device heard since the last
// advance, or by the tick count while it cannot tell.
void advancePlayClock(PlaybackEnv& env);
// Takes now as the clock's last advance without moving it (a resume).
void holdPlayClock(PlaybackEnv& env);

// Advances the clock and moves the cursors: repeat jumps, loop restart, the
// sounding note and its highlight, the scroll position. Repaints the matrix
// unless ctrlDown.
void playbackPump(PlaybackEnv& env, MatrixFollow& follow, bool ctrlDown);

// The done notification: the block came back (played out, reset, or given
// up by the sound service, whose complaint error then is and is shown).
void playbackDone(PlaybackEnv& env, std::string_view error = {});

// Milliseconds of play until the pump has something to change: the clock
// passes a note's start or end, a repeat block's end or a looping play's
// end. kNoChangeAhead while paused or when nothing is ahead.
constexpr std::int32_t kNoChangeAhead = 1'000'000;
[[nodiscard]] std::int32_t playbackNextChangeMs(const PlaybackEnv& env);

// One tick of the pump timer: pumps while the editor follows playback and
// answers whether the timer should keep running (while playing).
[[nodiscard]] bool playbackTimerStep(PlaybackEnv& env, MatrixFollow& follow, bool windowActive,
                                     bool ctrlDown);

} // namespace qte
