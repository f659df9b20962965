#pragma once
// The wave-out device on Qt Multimedia: a QAudioSink on the default output
// pulling from the shared block. Lives on the GUI thread; the sink's state
// changes arrive there through the event loop, so the done notification is
// delivered on the GUI thread without locks.

#include "platform/wave_out.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class QAudioSink;

namespace qte {

class BlockSource;

class QtWaveOut final : public QObject, public WaveOutDevice {
    Q_OBJECT
public:
    explicit QtWaveOut(QObject* parent = nullptr);
    ~QtWaveOut() override;

    [[nodiscard]] WaveOpenResult open() override;
    [[nodiscard]] bool write(std::shared_ptr<const PcmBlock> block, std::uint32_t sampleCount,
                             std::int32_t plays) override;
    void pause() override;
    void restart() override;
    void reset() override;
    void close() override;

    // The fixed format as Qt describes it.
    [[nodiscard]] static QAudioFormat waveFormat();

private:
    void onStateChanged(int state);
    void finishBlock(quint64 generation);
    void stopSink();
    void onWatchdog();
    [[nodiscard]] qint64 playedMs() const;

    QAudioDevice m_device;
    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<BlockSource> m_source;
    bool m_out = false;
    bool m_paused = false;
    // Ends a block whose sink never reports going idle, well after the
    // sound must have ended.
    QTimer m_watchdog;
    double m_lengthMs = 0;       // of the block, all plays
    qint64 m_playedMs = 0;       // unpaused time before the last resume
    QElapsedTimer m_sinceResume; // unpaused time since then
    // Counts blocks, so a late notification of an old block is dropped.
    quint64 m_generation = 0;
};

} // namespace qte
