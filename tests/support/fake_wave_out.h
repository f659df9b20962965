#pragma once
// A wave-out device for tests: records what the editor asks of it, reports
// the samples heard that the test sets, and delivers the done notification
// when the test says the sound has ended or failed.

#include "platform/wave_out.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qte::fakes {

class FakeWaveOut final : public WaveOutDevice {
public:
    struct Write {
        std::shared_ptr<const PcmBlock> block;
        std::uint32_t sampleCount = 0;
        std::int32_t plays = 0;
    };

    [[nodiscard]] WaveOpenResult open() override;
    [[nodiscard]] bool write(std::shared_ptr<const PcmBlock> block, std::uint32_t sampleCount,
                             std::int32_t plays) override;
    void pause() override;
    void restart() override;
    void reset() override;
    void close() override;
    [[nodiscard]] std::optional<std::int64_t> playedSamples() const override;

    // The block ends on its own: the done notification arrives.
    // False when no block was out.
    bool finish();
    // The sound service gives up on the block with this complaint.
    bool fail(std::string_view error);

    [[nodiscard]] bool isOpen() const { return m_open; }
    [[nodiscard]] bool blockOut() const { return m_out; }
    [[nodiscard]] bool isPaused() const { return m_paused; }

    // What open() answers; Ok opens the device.
    WaveOpenResult openResult = WaveOpenResult::Ok;
    // write() refuses every block while set.
    bool refuseWrites = false;
    // What playedSamples() answers while a block is out (nothing: the
    // output cannot tell). A write starts it again at 0 when it was set.
    std::optional<std::int64_t> played;
    // The error texts of the done notifications delivered, in order.
    std::vector<std::string> doneErrors;

    std::vector<Write> writes;
    // Every call in order: "open", "write", "pause", "restart", "reset",
    // "close", "done".
    std::vector<std::string> calls;

private:
    void deliverDone(std::string_view error = {});

    bool m_open = false;
    bool m_out = false;
    bool m_paused = false;
};

inline WaveOpenResult FakeWaveOut::open()
{
    calls.emplace_back("open");
    m_open = openResult == WaveOpenResult::Ok;
    return openResult;
}

inline bool FakeWaveOut::write(std::shared_ptr<const PcmBlock> block, std::uint32_t sampleCount,
                               std::int32_t plays)
{
    if (m_out) reset();
    calls.emplace_back("write");
    if (!m_open || refuseWrites || !block || sampleCount > block->size() || plays < 1) return false;
    writes.push_back({std::move(block), sampleCount, plays});
    if (played) played = 0;
    m_out = true;
    m_paused = false;
    return true;
}

inline void FakeWaveOut::pause()
{
    calls.emplace_back("pause");
    m_paused = m_open;
}

inline void FakeWaveOut::restart()
{
    calls.emplace_back("restart");
    m_paused = false;
}

inline void FakeWaveOut::reset()
{
    calls.emplace_back("reset");
    m_paused = false;
    if (m_out) deliverDone();
}

inline void FakeWaveOut::close()
{
    if (m_out) reset();
    calls.emplace_back("close");
    m_open = false;
}

inline std::optional<std::int64_t> FakeWaveOut::playedSamples() const
{
    return m_out ? played : std::nullopt;
}

inline bool FakeWaveOut::finish()
{
    if (!m_out) return false;
    deliverDone();
    return true;
}

inline bool FakeWaveOut::fail(std::string_view error)
{
    if (!m_out) return false;
    deliverDone(error);
    return true;
}

inline void FakeWaveOut::deliverDone(std::string_view error)
{
    m_out = false;
    calls.emplace_back("done");
    doneErrors.emplace_back(error);
    notifyDone(error);
}

} // namespace qte::fakes
