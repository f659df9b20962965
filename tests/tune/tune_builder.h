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
        const auto k = static_cast<std::int32_t>(kind);
        next(m_tune.noteTable, m_tune.noteCount) = {startMs, endMs, endMs - startMs, 0, 0, 0,
                                                    pitch,   k,     selected ? 1 : 0};
        return *this;
    }
    TuneBuilder& vibra(int startMs, int endMs)
    {
        next(m_tune.vibraList, m_tune.vibraCount) = {startMs, endMs, endMs - startMs};
        return *this;
    }
    TuneBuilder& repeat(int startMs, int endMs, int repetitions)
    {
        next(m_tune.repeatList, m_tune.repeatCount) = {startMs, endMs, 0, 0, repetitions};
        return *this;
    }
    TuneBuilder& text(int timeMs, std::string_view text)
    {
        (next(m_tune.textList, m_tune.textCount) = {timeMs, 0.0f, {}}).setText(text);
        return *this;
    }

    [[nodiscard]] Tune build()
    {
        DeriveUnitsFromMs(m_tune);
        return m_tune;
    }

private:
    template <class List> static typename List::value_type& next(List& list, std::int32_t& count)
    {
        return list[static_cast<std::size_t>(++count)];
    }
    Tune m_tune;
};

} // namespace qte::test
