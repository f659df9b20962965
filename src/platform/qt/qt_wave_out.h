#pragma once
// The wave-out device on Qt Multimedia: a QAudioSink on the default output
// that this device feeds itself (push mode), with as much as the sound
// service asks for. Everything runs on the GUI thread: a short poll timer
// feeds the sink, follows its processed-time count and sees the block's
// end, so the done notification is delivered on the GUI thread without
// locks.
//
// Why it feeds the sink instead of letting it pull: a pulling QAudioSink
// asks for a whole period at a time and waits while the service grants
// less, which can last for ever; and it goes idle once the last byte is
// handed over, well before that byte is heard.

#include "platform/wave_out.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class QAudioSink;
class QIODevice;

namespace qte {

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
    [[nodiscard]] std::optional<std::int64_t> playedSamples() const override;

    // The fixed format as Qt describes it.
    [[nodiscard]] static QAudioFormat waveFormat();

private:
    void poll();
    void feed();
    void stopSink();
    // Ends the block out with its done notification.
    void finishBlock(std::string_view error = {});
    [[nodiscard]] qint64 processedUs() const;

    QAudioDevice m_device;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_input = nullptr; // the sink's, valid while a block is out

    std::shared_ptr<const PcmBlock> m_block;
    std::int64_t m_count = 0;   // samples of one play
    std::int64_t m_total = 0;   // samples of all plays
    std::int64_t m_written = 0; // samples handed to the sink
    bool m_out = false;
    bool m_paused = false;

    QTimer m_poll;
    qint64 m_progressUs = -1;      // the processed time last seen to move
    QElapsedTimer m_sinceProgress; // unpaused time since it moved
    QElapsedTimer m_sinceAllHeard; // running once the count reached the end
};

} // namespace qte
