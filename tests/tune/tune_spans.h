#pragma once
// The lists of a tune in a form that compares in one assertion.

#include "tune/tune.h"
#include "tune/tune_edit.h"
#include "tune/tune_invariants.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace qte::testing_support {

// A list item: start, end and the pitch of a note, the repetitions of a
// repeat block, 0 for a vibra segment.
struct Span {
    float start;
    float end;
    int value;
    friend bool operator==(const Span&, const Span&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Span& s)
{
    return os << "[" << s.start << "," << s.end << " " << s.value << "]";
}

template <class List, class Value>
std::vector<Span> spansOf(const List& list, int count, Value value)
{
    std::vector<Span> out;
    for (int i = 1; i <= count; ++i)
        out.push_back({list[i].startUnits, list[i].endUnits, value(list[i])});
    return out;
}
inline std::vector<Span> notesOf(const Tune& t)
{
    return spansOf(t.noteTable, t.noteCount, [](const NoteRecord& n) { return int{n.pitch}; });
}
inline std::vector<Span> vibrasOf(const Tune& t)
{
    return spansOf(t.vibraList, t.vibraCount, [](const VibraRecord&) { return 0; });
}
inline std::vector<Span> repeatsOf(const Tune& t)
{
    return spansOf(t.repeatList, t.repeatCount,
                   [](const RepeatRecord& r) { return int{r.repetitions}; });
}
inline std::vector<std::pair<float, std::string>> textsOf(const Tune& t)
{
    std::vector<std::pair<float, std::string>> out;
    for (int i = 1; i <= t.textCount; ++i)
        out.emplace_back(t.textList[i].timeUnits, std::string(t.textList[i].text));
    return out;
}

inline NoteRecord makeNote(float start, float end, int pitch = 60, NoteKind kind = NoteKind::Normal)
{
    NoteRecord n;
    n.startUnits = start;
    n.endUnits = end;
    n.pitch = pitch;
    n.kind = static_cast<std::int32_t>(kind);
    return n;
}

// Inserts each note; false when one is refused.
[[nodiscard]] inline bool insertNotes(Tune& t, const std::vector<Span>& notes, int customCount = 0)
{
    for (const Span& n : notes)
        if (!InsertNote(t, makeNote(n.start, n.end, n.value), customCount)) return false;
    return true;
}

inline void expectSound(const Tune& t)
{
    EXPECT_EQ(checkTuneInvariants(t), std::vector<std::string>{});
}

} // namespace qte::testing_support
