#include "platform/qt/qt_wave_out.h"

#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>

namespace qte {

namespace {

// How often the sink is fed and its count looked at: the done notification
// comes at most this late.
constexpr int kPollMs = 10;
// The buffer asked of the sound service (it grants about half): enough for
// the GUI thread to be busy a quarter second without a gap in the sound.
constexpr qsizetype kBufferBytes = kWaveSampleRate / 2;
// A count that has stood still this long (not paused) means the output
// stopped playing; the block is given back.
constexpr qint64 kStallMs = 2500;
// Once the count says everything was heard, the sink going idle (its
// buffer played out) confirms it; without that it is believed this late.
constexpr qint64 kDrainGraceMs = 300;

constexpr std::int64_t kUsPerSecond = 1'000'000;

std::int64_t samplesToUs(std::int64_t samples)
{
    return samples * kUsPerSecond / kWaveSampleRate;
}

std::string errorText(QAudio::Error error)
{
    switch (error) {
    case QAudio::IOError: return "The sound service refused the sound; the tune was stopped.";
    case QAudio::OpenError: return "The sound device could not be opened; the tune was stopped.";
    default: return "The sound service stopped working; the tune was stopped.";
    }
}

} // namespace

QtWaveOut::QtWaveOut(QObject* parent) : QObject(parent)
{
    m_poll.setInterval(kPollMs);
    m_poll.setTimerType(Qt::PreciseTimer);
    connect(&m_poll, &QTimer::timeout, this, &QtWaveOut::poll);
}

QtWaveOut::~QtWaveOut()
{
    // No notification from a dying device.
    setDoneHandler({});
    close();
}

QAudioFormat QtWaveOut::waveFormat()
{
    QAudioFormat format;
    format.setSampleRate(kWaveSampleRate);
    format.setChannelCount(kWaveChannels);
    format.setSampleFormat(QAudioFormat::UInt8);
    return format;
}

WaveOpenResult QtWaveOut::open()
{
    close();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    // Without a sound service Qt offers a null device: there is no output.
    if (device.isNull()) return WaveOpenResult::BadDeviceId;
    if (!device.isFormatSupported(waveFormat())) return WaveOpenResult::BadFormat;
    m_device = device;
    m_sink = std::make_unique<QAudioSink>(m_device, waveFormat());
    return WaveOpenResult::Ok;
}

bool QtWaveOut::write(std::shared_ptr<const PcmBlock> block, std::uint32_t sampleCount,
                      std::int32_t plays)
{
    if (m_out) reset();
    if (!m_sink || !block || sampleCount == 0 || sampleCount > block->size() || plays < 1)
        return false;
    stopSink();
    // Asked anew for every block: the sink keeps the size it was granted,
    // and a request of that would be halved again at each play.
    m_sink->setBufferSize(kBufferBytes);
    m_input = m_sink->start();
    const QAudio::Error error = m_sink->error();
    if (!m_input || m_sink->state() == QAudio::StoppedState || error == QAudio::OpenError ||
        error == QAudio::FatalError) {
        stopSink();
        return false;
    }
    m_block = std::move(block);
    m_count = sampleCount;
    m_total = m_count * plays;
    m_written = 0;
    m_out = true;
    m_paused = false;
    m_progressUs = -1;
    m_sinceProgress.start();
    m_sinceAllHeard.invalidate();
    feed();
    m_poll.start();
    return true;
}

void QtWaveOut::pause()
{
    if (!m_sink || !m_out || m_paused) return;
    m_sink->suspend();
    m_paused = true;
}

void QtWaveOut::restart()
{
    if (!m_sink || !m_out || !m_paused) return;
    m_sink->resume();
    m_paused = false;
    m_sinceProgress.start();
}

void QtWaveOut::reset()
{
    const bool wasOut = m_out;
    m_out = false;
    stopSink();
    if (wasOut) notifyDone();
}

void QtWaveOut::close()
{
    reset();
    m_sink.reset();
    m_device = QAudioDevice();
}

std::optional<std::int64_t> QtWaveOut::playedSamples() const
{
    if (!m_out || !m_sink) return std::nullopt;
    const std::int64_t samples = processedUs() * kWaveSampleRate / kUsPerSecond;
    return std::clamp<std::int64_t>(samples, 0, m_total);
}

qint64 QtWaveOut::processedUs() const
{
    return m_sink ? m_sink->processedUSecs() : 0;
}

void QtWaveOut::stopSink()
{
    m_poll.stop();
    m_paused = false;
    // Stopping drops what the service still holds: only a reset, or a block
    // already heard to its end, comes here.
    if (m_sink && m_sink->state() != QAudio::StoppedState) m_sink->stop();
    m_input = nullptr;
    m_block.reset();
}

void QtWaveOut::feed()
{
    if (!m_input || !m_block) return;
    const auto* data = reinterpret_cast<const char*>(m_block->data());
    while (m_written < m_total) {
        // Only what the service asks for: its count of what was played then
        // never runs ahead of what it really took.
        const std::int64_t room = m_sink->bytesFree();
        if (room <= 0) return;
        const std::int64_t pos = m_written % m_count;
        const std::int64_t n = std::min({m_count - pos, m_total - m_written, room});
        const qint64 taken = m_input->write(data + pos, n);
        if (taken <= 0) return;
        m_written += taken;
    }
}

void QtWaveOut::poll()
{
    if (!m_out || !m_sink) {
        m_poll.stop();
        return;
    }
    const QAudio::Error error = m_sink->error();
    if (m_sink->state() == QAudio::StoppedState || error == QAudio::IOError ||
        error == QAudio::FatalError || error == QAudio::OpenError) {
        finishBlock(errorText(error));
        return;
    }
    feed();
    if (m_paused) return;
    const qint64 us = processedUs();
    if (us != m_progressUs) {
        m_progressUs = us;
        m_sinceProgress.start();
    }
    if (m_written >= m_total && us >= samplesToUs(m_total)) {
        if (!m_sinceAllHeard.isValid()) m_sinceAllHeard.start();
        if (m_sink->state() == QAudio::IdleState || m_sinceAllHeard.elapsed() >= kDrainGraceMs)
            finishBlock();
        return;
    }
    if (m_sinceProgress.elapsed() >= kStallMs) finishBlock();
}

void QtWaveOut::finishBlock(std::string_view error)
{
    if (!m_out) return;
    m_out = false;
    stopSink();
    notifyDone(error);
}

} // namespace qte
