#pragma once
// The Matrix editor's edit state (selection, rubber band, the item being
// drawn, notes being moved, the note clipboard) and the clipboard
// operations of the Edit menu.

#include "tune/tune.h"
#include "tune/tune_edit.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qte {

// What a pending item is, by its pitch.
constexpr std::int32_t kPendingVibra = -1;
constexpr std::int32_t kPendingRepeat = -2;

// The steps the gestures make.
constexpr const char* kStepDrawNote = "Draw note";
constexpr const char* kStepDrawVibra = "Draw vibra";
constexpr const char* kStepDrawRepeat = "Draw repeat";
constexpr const char* kStepResizeNote = "Resize note";
constexpr const char* kStepPasteNotes = "Paste";
constexpr const char* kStepDeleteNote = "Delete note";
constexpr const char* kStepDeleteVibra = "Delete vibra";
constexpr const char* kStepDeleteText = "Delete text";
constexpr const char* kStepDeleteRepeat = "Delete repeat";
constexpr const char* kStepAddText = "Add text";
constexpr const char* kStepMoveText = "Move text";
constexpr const char* kStepEditTextStrip = "Edit text";
constexpr const char* kStepRepetitions = "Repetitions";
// "Move note", "Move 3 notes".
[[nodiscard]] std::string moveStep(std::int32_t notes);

constexpr std::string_view kPasteTooLarge =
    "The pasted notes do not fit: a tune holds at most 999 notes. Nothing was pasted.";

struct DragOffset {
    float unitOffset = 0.0f; // note start minus the time under the mouse
    // Note pitch minus the pitch under the mouse; 64 bits, since a
    // FREQ_DEFINE number may be any 32-bit value.
    std::int64_t pitchOffset = 0;
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

    // What the last gesture did to the tune, as its undo step is named
    // ("Draw note", "Move 3 notes"); the owner clears it when a gesture
    // starts.
    std::string stepName;

    [[nodiscard]] bool gestureActive(const Tune& tune) const
    {
        return tune.selectionMode == 1 || drawingItem || dragCount >= 1 || pressedText != 0;
    }
};

void CopySelection(const Tune& tune, MatrixEditState& edit);
// Copy, then delete the selected notes.
void CutSelection(Tune& tune, MatrixEditState& edit);
// Hangs the clipboard's notes at the mouse for the next click to drop.
// Returns false, changing nothing, when they would not fit the note list.
[[nodiscard]] bool PasteClipboard(Tune& tune, MatrixEditState& edit);
} // namespace qte
