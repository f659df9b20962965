#pragma once
// Builds tunes for tests from millisecond times, the way a parsed text
// gives them.

#include <string_view>

#include "tune/tune.h"

namespace qte::test {

class TuneBuilder {
public:
    explicit TuneBuilder(int tempoBpm = kDefaultTempoBpm)
    {
        m_tune.tempoBpm = tempoBpm;
        m_tune.msPerUnit = 7500.0f / static_cast<float>(tempoBpm);
    }

    TuneBuilder& note(int startMs, int endMs, int pitch, NoteKind kind = NoteKind::Normal,
                      bool selected = false)
    {
        NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(++m_tune.noteCount)];
        n = {};
        n.startMs = startMs;
        SetEnd(n, endMs);
        n.pitch = pitch;
        n.kind = static_cast<std::int32_t>(kind);
        n.selected = selected ? 1 : 0;
        return *this;
    }
    TuneBuilder& vibra(int startMs, int endMs)
    {
        VibraRecord& v = m_tune.vibraList[static_cast<std::size_t>(++m_tune.vibraCount)];
        v = {};
        v.startMs = startMs;
        SetEnd(v, endMs);
        return *this;
    }
    TuneBuilder& repeat(int startMs, int endMs, int repetitions)
    {
        RepeatRecord& r = m_tune.repeatList[static_cast<std::size_t>(++m_tune.repeatCount)];
        r = {};
        r.startMs = startMs;
        r.endMs = endMs;
        r.repetitions = repetitions;
        return *this;
    }
    TuneBuilder& text(int timeMs, std::string_view text)
    {
        TextRecord& t = m_tune.textList[static_cast<std::size_t>(++m_tune.textCount)];
        t = {};
        t.timeMs = timeMs;
        t.setText(text);
        return *this;
    }

    [[nodiscard]] Tune build()
    {
        DeriveUnitsFromMs(m_tune);
        return m_tune;
    }

private:
    Tune m_tune;
};

} // namespace qte::test
