#include "document/tune_document.h"

#include "tune/tone_generator.h"

#include <utility>

namespace qte {

TuneDocument::TuneDocument(std::size_t historySteps)
    : m_tune(std::make_unique<Tune>()), m_historySteps(historySteps)
{
    m_states.push_back({SnapshotOf(*m_tune), {}});
    m_saved = m_states.front().snapshot;
}

void TuneDocument::setListener(std::function<void(const DocumentChange&)> listener)
{
    m_listener = std::move(listener);
}

void TuneDocument::announce(ChangeKind kind, std::string step)
{
    if (m_listener) m_listener(DocumentChange{kind, std::move(step)});
}

// What follows from the items: how far the last of them reaches, and
// whether the tune is the saved one.
void TuneDocument::contentChanged()
{
    m_tune->tailMs = TailMsOf(*m_tune);
    m_modified = !SameContent(*m_tune, m_saved);
}

void TuneDocument::open(const Tune& tune, TuneOrigin origin)
{
    *m_tune = tune;
    m_origin = std::move(origin);
    m_depth = 0;
    m_tune->tailMs = TailMsOf(*m_tune);
    m_states.clear();
    m_states.push_back({SnapshotOf(*m_tune), {}});
    m_current = 0;
    TakeSnapshot(*m_tune, m_saved);
    m_modified = false;
    announce(ChangeKind::Opened);
}

void TuneDocument::markSaved(TuneOrigin origin)
{
    m_origin = std::move(origin);
    TakeSnapshot(*m_tune, m_saved);
    m_modified = false;
    announce(ChangeKind::Saved);
}

void TuneDocument::setOrigin(TuneOrigin origin)
{
    m_origin = std::move(origin);
    announce(ChangeKind::Saved);
}

void TuneDocument::beginStep()
{
    // The state the step starts from, with the selection made since the
    // last step, so that undo gives back exactly this.
    if (m_depth++ == 0) TakeSnapshot(*m_tune, m_states[m_current].snapshot);
}

bool TuneDocument::commitStep(std::string_view name)
{
    if (m_depth > 0 && --m_depth > 0) return false;
    State& now = m_states[m_current];
    if (SameContent(*m_tune, now.snapshot)) {
        if (SameSelection(*m_tune, now.snapshot)) return false;
        TakeSnapshot(*m_tune, now.snapshot);
        announce(ChangeKind::Selection);
        return false;
    }
    m_states.erase(m_states.begin() + static_cast<std::ptrdiff_t>(m_current) + 1, m_states.end());
    contentChanged();
    m_states.push_back({SnapshotOf(*m_tune), std::string(name)});
    ++m_current;
    while (m_states.size() > m_historySteps + 1) {
        m_states.pop_front();
        --m_current;
    }
    announce(ChangeKind::Step, std::string(name));
    return true;
}

std::string TuneDocument::undoName() const
{
    return canUndo() ? m_states[m_current].step : std::string();
}

std::string TuneDocument::redoName() const
{
    return canRedo() ? m_states[m_current + 1].step : std::string();
}

void TuneDocument::moveTo(std::size_t state, ChangeKind kind, const std::string& step)
{
    // Redo comes back to the tune as it is now, selection and all.
    TakeSnapshot(*m_tune, m_states[m_current].snapshot);
    m_current = state;
    RestoreSnapshot(m_states[m_current].snapshot, *m_tune);
    contentChanged();
    announce(kind, step);
}

bool TuneDocument::undo()
{
    if (!canUndo()) return false;
    const std::string step = m_states[m_current].step;
    moveTo(m_current - 1, ChangeKind::Undo, step);
    return true;
}

bool TuneDocument::redo()
{
    if (!canRedo()) return false;
    moveTo(m_current + 1, ChangeKind::Redo, m_states[m_current + 1].step);
    return true;
}

std::size_t TuneDocument::historyBytes() const
{
    std::size_t bytes = SnapshotBytes(m_saved);
    for (const State& s : m_states)
        bytes += sizeof(State) + SnapshotBytes(s.snapshot) + s.step.capacity();
    return bytes;
}

} // namespace qte
