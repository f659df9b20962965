#include "platform/qt/playback_timer.h"

namespace qte {

PlaybackTimer::PlaybackTimer(std::function<bool()> step, QObject* parent)
    : QObject(parent), m_step(std::move(step))
{
    m_timer.setInterval(kPumpIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (!m_step || !m_step()) m_timer.stop();
    });
}

void PlaybackTimer::wake()
{
    if (!m_timer.isActive()) m_timer.start();
}

} // namespace qte
