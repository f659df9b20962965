#include "tune/tune_edit.h"

#include <algorithm>

namespace qte {
namespace {

void deriveNoteMs(NoteRecord& n, float mpu)
{
    n.durationUnits = n.endUnits - n.startUnits;
    n.startMs = unitsToMs(n.startUnits, mpu);
    n.endMs = unitsToMs(n.endUnits, mpu);
    n.durationMs = unitsToMs(n.durationUnits, mpu);
}

template <class R> bool hasLength(const R& r)
{
    return r.endUnits > r.startUnits && r.endMs > r.startMs;
}

template <class List> void removeAt(List& list, std::int32_t& count, int index)
{
    if (index < 1 || index > count) return;
    std::move(list.begin() + index + 1, list.begin() + count + 1, list.begin() + index);
    --count;
}

// Stores list[0] at index j, then cuts back or removes the neighbours it
// overlaps. firstAfter(i) says whether item i goes after the new one.
// Returns the new item's final index.
template <class List, class Recompute, class FirstAfter>
int placeStaged(List& list, std::int32_t& count, Recompute recompute, FirstAfter firstAfter)
{
    using Record = typename List::value_type;
    const Record n = list[0];
    int j = 1;
    while (j <= count && !firstAfter(list[j]))
        ++j;
    std::move_backward(list.begin() + j, list.begin() + count + 1, list.begin() + count + 2);
    list[j] = n;
    ++count;

    if (j > 1) {
        Record& prev = list[j - 1];
        if (prev.endUnits > n.startUnits) {
            prev.endUnits = n.startUnits;
            recompute(prev);
            // A neighbour cut back to nothing is gone rather than left empty.
            if (!hasLength(prev)) {
                removeAt(list, count, j - 1);
                --j;
            }
        }
    }
    int covered = 0;
    while (j + 1 + covered <= count && list[j + 1 + covered].endMs <= n.endMs)
        ++covered;
    for (int k = 0; k < covered; ++k)
        removeAt(list, count, j + 1);
    if (j + 1 <= count) {
        Record& next = list[j + 1];
        if (next.startUnits < n.endUnits || next.startMs < n.endMs) {
            next.startUnits = n.endUnits;
            recompute(next);
        }
    }
    return j;
}

} // namespace

int InsertNote(Tune& tune, const NoteRecord& note, std::int32_t customNoteCount)
{
    if (tune.noteCount >= kMaxNotes || tune.noteCount < 0) return 0;
    const float mpu = tune.msPerUnit;
    NoteRecord n = note;
    deriveNoteMs(n, mpu);
    if (!hasLength(n)) return 0;

    auto limitPitch = [&n](std::int32_t tableCount) {
        const std::int32_t top = std::max<std::int32_t>(tableCount, 0) + 71;
        if (n.pitch < 73) n.pitch = 72;
        if (n.pitch >= top) n.pitch = top;
    };
    if (n.noteKind() == NoteKind::Special)
        limitPitch(customNoteCount);
    else if (n.noteKind() == NoteKind::FreqDefine)
        limitPitch(tune.freqDefineCount);

    tune.noteTable[0] = n;
    return placeStaged(
        tune.noteTable, tune.noteCount, [mpu](NoteRecord& r) { deriveNoteMs(r, mpu); },
        [&n](const NoteRecord& r) { return r.startUnits >= n.startUnits; });
}

int InsertVibra(Tune& tune, const VibraRecord& segment)
{
    if (tune.vibraCount >= kMaxVibras || tune.vibraCount < 0) return 0;
    const float mpu = tune.msPerUnit;
    VibraRecord v = segment;
    deriveNoteMs(v, mpu);
    if (!hasLength(v)) return 0;
    tune.vibraList[0] = v;
    return placeStaged(
        tune.vibraList, tune.vibraCount, [mpu](VibraRecord& r) { deriveNoteMs(r, mpu); },
        [&v](const VibraRecord& r) { return r.startMs > v.startMs; });
}

int InsertRepeat(Tune& tune, float startUnits, float endUnits)
{
    if (tune.repeatCount >= kMaxRepeats || tune.repeatCount < 0) return 0;
    const float mpu = tune.msPerUnit;
    RepeatRecord b;
    b.startUnits = startUnits;
    b.endUnits = endUnits;
    b.startMs = unitsToMs(startUnits, mpu);
    b.endMs = unitsToMs(endUnits, mpu);
    b.repetitions = kNewRepeatRepetitions;
    if (!hasLength(b)) return 0;
    tune.repeatList[0] = b;
    auto recompute = [mpu](RepeatRecord& r) {
        r.startMs = unitsToMs(r.startUnits, mpu);
        r.endMs = unitsToMs(r.endUnits, mpu);
    };
    return placeStaged(tune.repeatList, tune.repeatCount, recompute,
                       [&b](const RepeatRecord& r) { return r.startMs > b.startMs; });
}

int InsertText(Tune& tune, float timeUnits)
{
    if (tune.textCount >= kMaxTexts || tune.textCount < 0) return 0;
    TextRecord t;
    t.timeUnits = timeUnits;
    t.timeMs = unitsToMs(timeUnits, tune.msPerUnit);
    t.setText(kFreeTextDefault);
    int j = 1;
    while (j <= tune.textCount && tune.textList[j].timeMs < t.timeMs)
        ++j;
    std::move_backward(tune.textList.begin() + j, tune.textList.begin() + tune.textCount + 1,
                       tune.textList.begin() + tune.textCount + 2);
    tune.textList[j] = t;
    tune.textList[0] = t;
    ++tune.textCount;
    return j;
}

void DeleteSelectedNotes(Tune& tune)
{
    int kept = 0;
    for (int i = 1; i <= tune.noteCount; ++i)
        if (!tune.noteTable[i].selected) tune.noteTable[++kept] = tune.noteTable[i];
    tune.noteCount = kept;
    tune.selectionMode = 0;
}

void DeleteVibraAt(Tune& tune, int index)
{
    removeAt(tune.vibraList, tune.vibraCount, index);
}

void DeleteRepeatAt(Tune& tune, int index)
{
    removeAt(tune.repeatList, tune.repeatCount, index);
}

void SelectAll(Tune& tune)
{
    for (int i = 1; i <= tune.noteCount; ++i)
        tune.noteTable[i].selected = 1;
    tune.selectionMode = 2;
}

void StaccatoAll(Tune& tune)
{
    const float mpu = tune.msPerUnit;
    const float cap = 60.0f / mpu;
    for (int i = 0; i <= tune.noteCount; ++i) {
        NoteRecord& n = tune.noteTable[i];
        float d = n.durationUnits * 0.333f + 0.5f;
        if (d > cap) d = cap;
        // A short note would grow; it must not run into the next one.
        if (i >= 1 && i < tune.noteCount) {
            const float room = tune.noteTable[i + 1].startUnits - n.startUnits;
            if (d > room) d = room;
        }
        n.durationUnits = d;
        n.endUnits = n.startUnits + d;
        n.startMs = unitsToMs(n.startUnits, mpu);
        n.endMs = unitsToMs(n.endUnits, mpu);
        n.durationMs = unitsToMs(n.durationUnits, mpu);
    }
}

std::string Transpose(Tune& tune, std::int32_t semitones)
{
    const int count = std::clamp(tune.noteCount, 0, kMaxNotes);
    bool anySelected = false;
    for (int i = 1; i <= count; ++i)
        anySelected = anySelected || tune.noteTable[i].selected != 0;
    const auto moves = [&](const NoteRecord& n) {
        return n.noteKind() == NoteKind::Normal && (!anySelected || n.selected != 0);
    };
    int tooLow = 0, tooHigh = 0;
    for (int i = 1; i <= count; ++i) {
        const NoteRecord& n = tune.noteTable[i];
        if (!moves(n)) continue;
        const std::int64_t p = static_cast<std::int64_t>(n.pitch) + semitones;
        if (p < kLowestNormalPitch) ++tooLow;
        if (p > kHighestNormalPitch) ++tooHigh;
    }
    if (tooLow + tooHigh > 0) {
        const int n = tooLow + tooHigh;
        return std::to_string(n) + (n == 1 ? " note" : " notes") + " would go " +
               (tooHigh > 0 ? "above the highest pitch, " + std::to_string(kHighestNormalPitch)
                            : "below the lowest pitch, " + std::to_string(kLowestNormalPitch)) +
               ". Nothing was transposed.";
    }
    for (int i = 1; i <= count; ++i) {
        NoteRecord& n = tune.noteTable[i];
        if (moves(n)) n.pitch += semitones;
    }
    return {};
}

} // namespace qte
