#pragma once
// Drives the playback pump about 60 times a second while a tune plays and
// not at all otherwise, so an idle editor uses no processor time.

#include <QObject>
#include <QTimer>

#include <functional>

namespace qte {

constexpr int kPumpIntervalMs = 16;

class PlaybackTimer final : public QObject {
    Q_OBJECT
public:
    // step runs on every tick; when it returns false the timer stops until
    // the next wake().
    explicit PlaybackTimer(std::function<bool()> step, QObject* parent = nullptr);

    // Starts the ticks unless they run already. Call after every play.
    void wake();
    void stop() { m_timer.stop(); }
    [[nodiscard]] bool isRunning() const { return m_timer.isActive(); }

private:
    std::function<bool()> m_step;
    QTimer m_timer;
};

} // namespace qte
