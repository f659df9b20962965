#pragma once
// Drives the playback pump about 60 times a second while a tune plays, and
// sooner when the step asks (the next note starts in 3 ms), so the cursor
// changes with the sound; not at all otherwise, so an idle editor uses no
// processor time.

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace qte {

constexpr int kPumpIntervalMs = 16;
// A tick asked for sooner still leaves the GUI this long.
constexpr int kShortestPumpMs = 2;

class PlaybackTimer final : public QObject {
    Q_OBJECT
public:
    // step runs on every tick and answers the milliseconds until the next
    // (kShortestPumpMs to kPumpIntervalMs are taken), or nothing, when the
    // timer stops until the next wake().
    explicit PlaybackTimer(std::function<std::optional<int>()> step, QObject* parent = nullptr);

    // Starts the ticks unless they run already. Call after every play.
    void wake();
    void stop() { m_timer.stop(); }
    [[nodiscard]] bool isRunning() const { return m_timer.isActive(); }

private:
    std::function<std::optional<int>()> m_step;
    QTimer m_timer;
};

} // namespace qte
