#include "platform/qt/playback_timer.h"

#include <algorithm>

namespace qte {

PlaybackTimer::PlaybackTimer(std::function<std::optional<int>()> step, QObject* parent)
    : QObject(parent), m_step(std::move(step))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        const std::optional<int> next = m_step ? m_step() : std::nullopt;
        if (next) m_timer.start(std::clamp(*next, kShortestPumpMs, kPumpIntervalMs));
    });
}

void PlaybackTimer::wake()
{
    if (!m_timer.isActive()) m_timer.start(kPumpIntervalMs);
}

} // namespace qte
