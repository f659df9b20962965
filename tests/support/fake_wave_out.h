#pragma once
// A wave-out device for tests: records what the editor asks of it and
// delivers the done notification when the test says the sound has ended.

#include "platform/wave_out.h"

#include <memory>

#include <string>
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

    // The block ends on its own: the done notification arrives.
    // False when no block was out.
    bool finish();

    [[nodiscard]] bool isOpen() const { return m_open; }
    [[nodiscard]] bool blockOut() const { return m_out; }
    [[nodiscard]] bool isPaused() const { return m_paused; }

    // What open() answers; Ok opens the device.
    WaveOpenResult openResult = WaveOpenResult::Ok;
    // write() refuses every block while set.
    bool refuseWrites = false;

    std::vector<Write> writes;
    // Every call in order: "open", "write", "pause", "restart", "reset",
    // "close", "done".
    std::vector<std::string> calls;

private:
    void deliverDone();

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

inline bool FakeWaveOut::finish()
{
    if (!m_out) return false;
    deliverDone();
    return true;
}

inline void FakeWaveOut::deliverDone()
{
    m_out = false;
    calls.emplace_back("done");
    notifyDone();
}

} // namespace qte::fakes
