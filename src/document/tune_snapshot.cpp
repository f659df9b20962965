#include "document/tune_snapshot.h"

#include <algorithm>
#include <bit>

namespace qte {

namespace {

// Floats compare by their bits, so that a value compares equal to itself
// whatever it holds.
bool same(float a, float b)
{
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

bool sameNote(const NoteRecord& a, const NoteRecord& b)
{
    return a.startMs == b.startMs && a.endMs == b.endMs && a.durationMs == b.durationMs &&
           same(a.startUnits, b.startUnits) && same(a.endUnits, b.endUnits) &&
           same(a.durationUnits, b.durationUnits) && a.pitch == b.pitch && a.kind == b.kind;
}

bool sameRepeat(const RepeatRecord& a, const RepeatRecord& b)
{
    return a.startMs == b.startMs && a.endMs == b.endMs && same(a.startUnits, b.startUnits) &&
           same(a.endUnits, b.endUnits) && a.repetitions == b.repetitions;
}

bool sameText(const TextRecord& a, const TextRecord& b)
{
    return a.timeMs == b.timeMs && same(a.timeUnits, b.timeUnits) && a.text == b.text;
}

int used(std::int32_t count, int capacity)
{
    return std::clamp<int>(count, 0, capacity - 1);
}

template <class Array>
void copyUsed(const Array& list, std::int32_t count, std::vector<typename Array::value_type>& into)
{
    const int n = used(count, static_cast<int>(list.size()));
    into.assign(list.begin(), list.begin() + n + 1);
}

template <class Array>
void putBack(const std::vector<typename Array::value_type>& from, Array& list, std::int32_t& count)
{
    const std::size_t n = std::min(from.size(), list.size());
    std::copy(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(n), list.begin());
    count = n > 0 ? static_cast<std::int32_t>(n - 1) : 0;
}

// Items 1..count of a list against those of a snapshot's list.
template <class Array, class Same>
bool sameItems(const Array& list, std::int32_t count,
               const std::vector<typename Array::value_type>& kept, Same sameItem)
{
    const int n = used(count, static_cast<int>(list.size()));
    if (kept.size() != static_cast<std::size_t>(n) + 1) return false;
    for (int i = 1; i <= n; ++i)
        if (!sameItem(list[static_cast<std::size_t>(i)], kept[static_cast<std::size_t>(i)]))
            return false;
    return true;
}

template <class Array, class Same>
bool sameItems(const Array& a, std::int32_t countA, const Array& b, std::int32_t countB,
               Same sameItem)
{
    const int n = used(countA, static_cast<int>(a.size()));
    if (n != used(countB, static_cast<int>(b.size()))) return false;
    for (int i = 1; i <= n; ++i)
        if (!sameItem(a[static_cast<std::size_t>(i)], b[static_cast<std::size_t>(i)])) return false;
    return true;
}

bool sameFreqDefines(const FreqDefineTable& a, std::int32_t countA, const FreqDefineTable& b,
                     std::int32_t countB)
{
    if (countA != countB) return false;
    const int n = std::clamp<int>(countA, 0, kFreqDefineSlots);
    return std::equal(a.begin(), a.begin() + n, b.begin());
}

template <class T> std::size_t heapOf(const std::vector<T>& v)
{
    return v.capacity() * sizeof(T);
}

std::size_t heapOf(const std::string& s)
{
    // What a short string keeps inside itself costs nothing more.
    return s.capacity() > std::string().capacity() ? s.capacity() + 1 : 0;
}

} // namespace

void TakeSnapshot(const Tune& tune, TuneSnapshot& s)
{
    s.toneName = tune.toneName;
    s.toneId = tune.toneId;
    s.tempoBpm = tune.tempoBpm;
    s.msPerUnit = tune.msPerUnit;
    s.noteNameSet = tune.noteNameSet;
    copyUsed(tune.noteTable, tune.noteCount, s.notes);
    copyUsed(tune.vibraList, tune.vibraCount, s.vibras);
    copyUsed(tune.repeatList, tune.repeatCount, s.repeats);
    copyUsed(tune.textList, tune.textCount, s.texts);
    s.freqDefineTable = tune.freqDefineTable;
    s.freqDefineCount = tune.freqDefineCount;
    s.politeDefined = tune.politeDefined;
    s.politeFirstNote = tune.politeFirstNote;
    s.politeLastNote = tune.politeLastNote;
    s.politeNoteCount = tune.politeNoteCount;
    s.tailMs = tune.tailMs;
    s.selectionMode = tune.selectionMode;
}

TuneSnapshot SnapshotOf(const Tune& tune)
{
    TuneSnapshot s;
    TakeSnapshot(tune, s);
    return s;
}

void RestoreSnapshot(const TuneSnapshot& s, Tune& tune)
{
    tune.toneName = s.toneName;
    tune.toneId = s.toneId;
    tune.tempoBpm = s.tempoBpm;
    tune.msPerUnit = s.msPerUnit;
    tune.noteNameSet = s.noteNameSet;
    putBack(s.notes, tune.noteTable, tune.noteCount);
    putBack(s.vibras, tune.vibraList, tune.vibraCount);
    putBack(s.repeats, tune.repeatList, tune.repeatCount);
    putBack(s.texts, tune.textList, tune.textCount);
    tune.freqDefineTable = s.freqDefineTable;
    tune.freqDefineCount = s.freqDefineCount;
    tune.politeDefined = s.politeDefined;
    tune.politeFirstNote = s.politeFirstNote;
    tune.politeLastNote = s.politeLastNote;
    tune.politeNoteCount = s.politeNoteCount;
    tune.tailMs = s.tailMs;
    tune.selectionMode = s.selectionMode;
}

bool SameContent(const Tune& t, const TuneSnapshot& s)
{
    return t.toneName == s.toneName && t.toneId == s.toneId && t.tempoBpm == s.tempoBpm &&
           same(t.msPerUnit, s.msPerUnit) && t.noteNameSet == s.noteNameSet &&
           sameItems(t.noteTable, t.noteCount, s.notes, sameNote) &&
           sameItems(t.vibraList, t.vibraCount, s.vibras, sameNote) &&
           sameItems(t.repeatList, t.repeatCount, s.repeats, sameRepeat) &&
           sameItems(t.textList, t.textCount, s.texts, sameText) &&
           sameFreqDefines(t.freqDefineTable, t.freqDefineCount, s.freqDefineTable,
                           s.freqDefineCount) &&
           t.politeDefined == s.politeDefined && t.politeFirstNote == s.politeFirstNote &&
           t.politeLastNote == s.politeLastNote;
}

bool SameContent(const Tune& a, const Tune& b)
{
    return a.toneName == b.toneName && a.toneId == b.toneId && a.tempoBpm == b.tempoBpm &&
           same(a.msPerUnit, b.msPerUnit) && a.noteNameSet == b.noteNameSet &&
           sameItems(a.noteTable, a.noteCount, b.noteTable, b.noteCount, sameNote) &&
           sameItems(a.vibraList, a.vibraCount, b.vibraList, b.vibraCount, sameNote) &&
           sameItems(a.repeatList, a.repeatCount, b.repeatList, b.repeatCount, sameRepeat) &&
           sameItems(a.textList, a.textCount, b.textList, b.textCount, sameText) &&
           sameFreqDefines(a.freqDefineTable, a.freqDefineCount, b.freqDefineTable,
                           b.freqDefineCount) &&
           a.politeDefined == b.politeDefined && a.politeFirstNote == b.politeFirstNote &&
           a.politeLastNote == b.politeLastNote;
}

bool SameSelection(const Tune& t, const TuneSnapshot& s)
{
    if (t.selectionMode != s.selectionMode) return false;
    const int n = used(t.noteCount, kNoteSlots);
    if (s.notes.size() != static_cast<std::size_t>(n) + 1) return false;
    for (int i = 1; i <= n; ++i)
        if (t.noteTable[static_cast<std::size_t>(i)].selected !=
            s.notes[static_cast<std::size_t>(i)].selected)
            return false;
    return true;
}

std::size_t SnapshotBytes(const TuneSnapshot& s)
{
    std::size_t bytes = heapOf(s.toneName) + heapOf(s.toneId) + heapOf(s.notes) + heapOf(s.vibras) +
                        heapOf(s.repeats) + heapOf(s.texts);
    for (const TextRecord& t : s.texts)
        bytes += heapOf(t.text);
    return bytes;
}

} // namespace qte
