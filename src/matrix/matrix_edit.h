#pragma once
// The Matrix editor's edit state (selection, rubber band, the item being
// drawn, notes being moved, the note clipboard) and the list operations the
// gestures and the Edit menu call. Every insertion keeps its list ordered
// and free of overlaps: the new item wins, neighbours are cut back and the
// items it covers are removed. A full list refuses the insertion and is
// left as it was.

#include "tune/tune.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace qte {

// What a pending item is, by its pitch.
constexpr std::int32_t kPendingVibra = -1;
constexpr std::int32_t kPendingRepeat = -2;

constexpr std::string_view kFreeTextDefault = "--- free text ---";
constexpr std::int32_t kNewRepeatRepetitions = 2;

// Sentences the editor shows when a list cannot take more.
constexpr std::string_view kNoteListFull =
    "The tune already has 999 notes. Delete a note before adding another.";
constexpr std::string_view kVibraListFull =
    "The tune already has 499 vibra segments. Delete one before adding another.";
constexpr std::string_view kRepeatListFull =
    "The tune already has 99 repeat blocks. Delete one before adding another.";
constexpr std::string_view kTextListFull =
    "The tune already has 499 free texts. Delete one before adding another.";
constexpr std::string_view kPasteTooLarge =
    "The pasted notes do not fit: a tune holds at most 999 notes. Nothing was pasted.";

struct DragOffset {
    float unitOffset = 0.0f;      // note start minus the time under the mouse
    std::int32_t pitchOffset = 0; // note pitch minus the pitch under the mouse
};

using DragBuffer = std::array<NoteRecord, kNoteSlots>;
using DragOffsets = std::array<DragOffset, kNoteSlots>;

// One set for the editor; the tune's selectionMode goes with it.
struct MatrixEditState {
    float bandAnchorUnits = 0.0f;
    std::int32_t bandAnchorPitch = 0;
    float bandCurrentUnits = 0.0f;
    std::int32_t bandCurrentPitch = 0;

    bool drawingItem = false;
    NoteRecord pendingItem{}; // pitch >= 1 a note, -1 vibra segment, -2 repeat block
    // Where the drawn block ends on screen: the end before it is moved to
    // the end of a note it falls in.
    float pendingDrawnEnd = 0.0f;
    // A resized note: given back when the resize leaves no length.
    bool resizing = false;
    NoteRecord resizeOriginal{};

    std::int32_t dragCount = 0; // notes hanging at the mouse, 1-based
    DragBuffer dragBuffer{};
    DragOffsets dragOffsets{};
    bool dragIsPaste = false; // the hanging notes came from the clipboard

    std::int32_t clipboardCount = 0;
    DragBuffer clipboardNotes{};
    DragOffsets clipboardOffsets{};

    std::int32_t pressedText = 0; // index of the pressed free text, 0 none
    std::uint32_t pressTick = 0;

    int mouseX = 0;
    int mouseY = 0;
    std::int32_t hoverPitch = 0; // the key under the mouse

    [[nodiscard]] bool gestureActive(const Tune& tune) const
    {
        return tune.selectionMode == 1 || drawingItem || dragCount >= 1 || pressedText != 0;
    }
};

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
void CopySelection(const Tune& tune, MatrixEditState& edit);
// Copy, then delete the selected notes.
void CutSelection(Tune& tune, MatrixEditState& edit);
// Hangs the clipboard's notes at the mouse for the next click to drop.
// Returns false, changing nothing, when they would not fit the note list.
[[nodiscard]] bool PasteClipboard(Tune& tune, MatrixEditState& edit);
// "->Staccato": every note is shortened to a third plus half a unit, at
// most 60 ms, and never past the start of the next note.
void StaccatoAll(Tune& tune);

} // namespace qte
