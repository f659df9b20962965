#pragma once
// The sound card as the editor uses it: one block of 8-bit unsigned mono
// PCM at 44,100 samples per second, played once or looped, with a done
// notification when the device gives the block back and a count of the
// samples heard so far.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qte {

// The one format the device is opened with.
constexpr std::int32_t kWaveSampleRate = 44100;
constexpr std::int32_t kWaveChannels = 1;
constexpr std::int32_t kWaveBitsPerSample = 8;
// Plays of a looping block.
constexpr std::int32_t kLoopPlays = 100;

// Outcome of opening the device, numbered as the system's sound driver
// numbers them.
enum class WaveOpenResult : std::int32_t {
    Ok = 0,
    Error = 1,       // any other failure; nothing is shown
    BadDeviceId = 2, // no such output device
    Allocated = 4,   // the device is in use by another program
    NoDriver = 6,    // no sound driver / sound service
    NoMemory = 7,    // the driver ran out of memory
    BadFormat = 32,  // the device does not play 8-bit mono 44.1 kHz
    Sync = 35,       // the device can only be opened synchronously
};

struct WaveOpenMessage {
    std::string text;
    std::string title;
};

// The message box shown for a failed open; none for Ok and Error.
[[nodiscard]] std::optional<WaveOpenMessage> waveOpenMessage(WaveOpenResult result);

using PcmBlock = std::vector<std::uint8_t>;

// Contract of every device:
// - every accepted write() is answered by exactly one done notification,
//   delivered on the thread that owns the device (the GUI thread), once the
//   output has played the block's last sample: handing the last byte to a
//   sound service is not the end of the sound;
// - a block whose output stops making progress (while not paused), or whose
//   sound service fails, is given back by the device itself: a done
//   notification, carrying the service's complaint when it made one;
// - reset() stops at once and, when a block was out, delivers its done
//   notification before it returns; a block that ended on its own but
//   whose notification has not arrived yet counts as out;
// - writing while a block is out first resets, so the old block's
//   notification comes before write() returns; the new block's never does.
class WaveOutDevice {
public:
    // Called once for every finished, failed or reset block; error is empty
    // unless the sound service reported a failure (a sentence for the user).
    using DoneHandler = std::function<void(std::string_view error)>;

    virtual ~WaveOutDevice() = default;

    // Opens the default output with the fixed format.
    [[nodiscard]] virtual WaveOpenResult open() = 0;
    // Plays the first sampleCount samples of block plays times in a row.
    // The device shares the block until it reports done. False when the
    // device is not open or refuses the block; no notification follows then.
    [[nodiscard]] virtual bool write(std::shared_ptr<const PcmBlock> block,
                                     std::uint32_t sampleCount, std::int32_t plays) = 0;
    virtual void pause() = 0;
    virtual void restart() = 0;
    virtual void reset() = 0;
    // Resets and releases the device; open() may be called again.
    virtual void close() = 0;
    // Samples of the block out that have been heard, all plays together,
    // counted from its write(): the output's own count with its latency
    // taken off. Stands still while paused. Nothing when no block is out or
    // the output cannot tell.
    [[nodiscard]] virtual std::optional<std::int64_t> playedSamples() const = 0;

    void setDoneHandler(DoneHandler handler) { m_done = std::move(handler); }

protected:
    void notifyDone(std::string_view error = {})
    {
        if (m_done) m_done(error);
    }

private:
    DoneHandler m_done;
};

} // namespace qte
