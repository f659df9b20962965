#include "platform/qt/qt_wave_out.h"

#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>

namespace qte {

// Reads the block plays times over, then reports its end.
class BlockSource final : public QIODevice {
public:
    BlockSource(std::shared_ptr<const PcmBlock> block, std::uint32_t sampleCount,
                std::int32_t plays)
        : m_block(std::move(block)), m_count(sampleCount), m_playsLeft(plays)
    {
        if (m_count == 0) m_playsLeft = 0;
    }

    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_playsLeft <= 0; }
    qint64 bytesAvailable() const override
    {
        if (m_playsLeft <= 0) return QIODevice::bytesAvailable();
        return qint64(m_playsLeft - 1) * m_count + (m_count - m_pos) + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        qint64 done = 0;
        while (done < maxSize && m_playsLeft > 0) {
            const qint64 n = std::min<qint64>(maxSize - done, m_count - m_pos);
            std::memcpy(data + done, m_block->data() + m_pos, static_cast<std::size_t>(n));
            done += n;
            m_pos += static_cast<std::uint32_t>(n);
            if (m_pos == m_count) {
                m_pos = 0;
                --m_playsLeft;
            }
        }
        return done;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::shared_ptr<const PcmBlock> m_block;
    std::uint32_t m_count = 0;
    std::uint32_t m_pos = 0;
    std::int32_t m_playsLeft = 0;
};

namespace {
// Margin of the watchdog past the block's own length, and its re-check.
constexpr int kWatchdogMarginMs = 3000;
constexpr int kWatchdogRecheckMs = 1000;
} // namespace

QtWaveOut::QtWaveOut(QObject* parent) : QObject(parent)
{
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &QtWaveOut::onWatchdog);
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
    connect(m_sink.get(), &QAudioSink::stateChanged, this,
            [this](QAudio::State state) { onStateChanged(static_cast<int>(state)); });
    return WaveOpenResult::Ok;
}

bool QtWaveOut::write(std::shared_ptr<const PcmBlock> block, std::uint32_t sampleCount,
                      std::int32_t plays)
{
    if (m_out) reset();
    if (!m_sink || !block || sampleCount == 0 || sampleCount > block->size() || plays < 1)
        return false;
    stopSink();
    m_source = std::make_unique<BlockSource>(std::move(block), sampleCount, plays);
    m_source->open(QIODevice::ReadOnly);
    ++m_generation;
    m_out = true;
    m_paused = false;
    m_sink->start(m_source.get());
    if (m_sink->error() == QAudio::OpenError || m_sink->error() == QAudio::FatalError ||
        m_sink->state() == QAudio::StoppedState) {
        m_out = false;
        stopSink();
        return false;
    }
    m_lengthMs = double(sampleCount) * plays * 1000.0 / kWaveSampleRate;
    m_playedMs = 0;
    m_sinceResume.start();
    m_watchdog.start(static_cast<int>(std::min(m_lengthMs + kWatchdogMarginMs, 2.0e9)));
    return true;
}

void QtWaveOut::pause()
{
    if (m_sink && m_out) {
        m_sink->suspend();
        if (!m_paused) m_playedMs += m_sinceResume.elapsed();
        m_paused = true;
    }
}

void QtWaveOut::restart()
{
    if (m_sink && m_out) {
        m_sink->resume();
        if (m_paused) m_sinceResume.start();
        m_paused = false;
    }
}

void QtWaveOut::reset()
{
    const bool wasOut = m_out;
    m_out = false;
    ++m_generation;
    stopSink();
    if (wasOut) notifyDone();
}

void QtWaveOut::close()
{
    reset();
    m_sink.reset();
    m_device = QAudioDevice();
}

void QtWaveOut::stopSink()
{
    m_watchdog.stop();
    m_paused = false;
    if (m_sink && m_sink->state() != QAudio::StoppedState) m_sink->stop();
    if (m_source) {
        m_source->close();
        m_source.reset();
    }
}

void QtWaveOut::onStateChanged(int state)
{
    // The sink goes idle when it runs dry; only the end of the block ends
    // it, not a passing underrun.
    if (state != QAudio::IdleState || !m_out || !m_source || !m_source->atEnd()) return;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this, [this, generation] { finishBlock(generation); }, Qt::QueuedConnection);
}

void QtWaveOut::onWatchdog()
{
    if (!m_out) return;
    const double due = m_lengthMs + kWatchdogMarginMs;
    if (m_paused || !m_source || !m_source->atEnd() || double(playedMs()) < due) {
        const double left = due - double(playedMs());
        m_watchdog.start(m_paused || left < kWatchdogRecheckMs
                             ? kWatchdogRecheckMs
                             : static_cast<int>(std::min(left, 2.0e9)));
        return;
    }
    finishBlock(m_generation);
}

qint64 QtWaveOut::playedMs() const
{
    return m_playedMs + (m_paused ? 0 : m_sinceResume.elapsed());
}

void QtWaveOut::finishBlock(quint64 generation)
{
    if (generation != m_generation || !m_out) return;
    m_out = false;
    stopSink();
    notifyDone();
}

} // namespace qte
