#pragma once
// The names of the steps the editor's commands and dialogs make, as the
// Edit menu shows them after "Undo" and "Redo". The Matrix editor's
// gestures name theirs (matrix/matrix_edit.h).

#include <cstdint>
#include <string>

namespace qte {

constexpr const char* kStepCut = "Cut";
constexpr const char* kStepPaste = "Paste";
constexpr const char* kStepDelete = "Delete";
constexpr const char* kStepClearAll = "Clear all";
constexpr const char* kStepStaccato = "->Staccato";
constexpr const char* kStepSettings = "Settings";
constexpr const char* kStepEditNote = "Edit note";
constexpr const char* kStepEditPause = "Edit pause";
constexpr const char* kStepEditText = "Edit text";

// "Tempo 120 bpm".
[[nodiscard]] inline std::string tempoStep(std::int32_t bpm)
{
    return "Tempo " + std::to_string(bpm) + " bpm";
}

} // namespace qte
