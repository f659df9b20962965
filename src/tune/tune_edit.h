#pragma once
// The list operations every editor of the tune calls. Every insertion keeps
// its list ordered and free of overlaps: the new item wins, neighbours are
// cut back and the items it covers are removed. A full list refuses the
// insertion and is left as it was.

#include "tune/tune.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qte {

constexpr std::string_view kFreeTextDefault = "--- free text ---";
constexpr std::int32_t kNewRepeatRepetitions = 2;
// The counts a repeat block takes; a block is played at least once.
constexpr std::int32_t kMinRepetitions = 1;
constexpr std::int32_t kMaxRepetitions = 999;

// Sentences the editor shows when a list cannot take more.
constexpr std::string_view kNoteListFull =
    "The tune already has 999 notes. Delete a note before adding another.";
constexpr std::string_view kVibraListFull =
    "The tune already has 499 vibra segments. Delete one before adding another.";
constexpr std::string_view kRepeatListFull =
    "The tune already has 99 repeat blocks. Delete one before adding another.";
constexpr std::string_view kTextListFull =
    "The tune already has 499 free texts. Delete one before adding another.";

// Inserts a note built from startUnits, endUnits, pitch, kind and selected;
// the other fields are derived. Special and FreqDefine pitches are kept
// inside their tables (customNoteCount, the tune's freqDefineCount).
// Returns the note's index, or 0 when nothing was inserted: the list is
// full, or the note would last no millisecond.
[[nodiscard]] int InsertNote(Tune& tune, const NoteRecord& note, std::int32_t customNoteCount);
// From startUnits and endUnits. Returns the index, or 0 as InsertNote.
[[nodiscard]] int InsertVibra(Tune& tune, const VibraRecord& segment);
// A block of two repetitions. Returns the index, or 0 as InsertNote.
[[nodiscard]] int InsertRepeat(Tune& tune, float startUnits, float endUnits);
// A "--- free text ---" before any text at the same time. Returns the
// index, or 0 when the list is full.
[[nodiscard]] int InsertText(Tune& tune, float timeUnits);

void DeleteSelectedNotes(Tune& tune);
void DeleteVibraAt(Tune& tune, int index);
void DeleteRepeatAt(Tune& tune, int index);
void SelectAll(Tune& tune);
// "->Staccato": every note is shortened to a third plus half a unit, at
// most 60 ms, and never past the start of the next note.
void StaccatoAll(Tune& tune);

// The pitches a Normal note may have, as the note dialog keeps them.
constexpr std::int32_t kLowestNormalPitch = 1;
constexpr std::int32_t kHighestNormalPitch = 108;

// Moves the selected Normal notes, or every Normal note when none is
// selected, by semitones. Special and FREQ_DEFINE notes name a table entry,
// not a pitch, and stay. When a note would leave kLowestNormalPitch ..
// kHighestNormalPitch nothing moves and the reason is returned; "" when
// done.
[[nodiscard]] std::string Transpose(Tune& tune, std::int32_t semitones);

} // namespace qte
