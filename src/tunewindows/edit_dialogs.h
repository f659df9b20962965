#pragma once
// What the note (147), pause (159) and text (158) strips of the Ringdata
// view read and write. The window layer shows the fields; these functions
// fill them and apply them to the tune.

#include "platform/dialogs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qte {

struct Tune;
struct ToneText;

// The longest time a dialog accepts, so that every later time still fits
// the tune's millisecond and unit fields.
constexpr std::int32_t kMaxDialogTimeMs = 3'600'000;

// A field read as "%d" from at most its first 19 characters; nothing when
// it holds no number.
[[nodiscard]] std::optional<std::int32_t> readDialogNumber(std::string_view field);

// Moves every item of each list from the first one shown after `line`
// onward by `deltaUnits`, recomputing their milliseconds.
void ShiftItemsAfterLine(Tune& tune, const ToneText& text, std::int32_t line, float deltaUnits);

[[nodiscard]] NoteDialogFields noteDialogFields(const Tune& tune, std::int32_t noteIndex);

// OK of the note strip. Returns a sentence naming the allowed range when a
// value is refused; the tune is then unchanged. The caller re-inserts the
// note afterwards to restore order and non-overlap.
[[nodiscard]] std::string applyNoteDialog(Tune& tune, const ToneText& text, std::int32_t noteIndex,
                                          std::int32_t lineIndex, const NoteDialogFields& fields,
                                          std::int32_t customNoteCount);

[[nodiscard]] std::string pauseDialogField(const ToneText& text, std::int32_t line);

// OK of the pause strip: the later items move by the change of length.
// Returns the refusal sentence, or "" when applied.
[[nodiscard]] std::string applyPauseDialog(Tune& tune, ToneText& text, std::int32_t line,
                                           std::string_view field);

// The whole edit of a right click on a note line, as the view finishes
// it: the strip's fields applied, then the note taken out and inserted
// again so that the list stays in order and free of overlaps (a longer
// note trims or removes the ones it now covers). A value that would leave
// the tune broken (an item of no length, a list out of order or
// overlapping, a time past kMaxDialogTimeMs) is refused with a sentence
// naming the range the field allows; the tune is then unchanged.
[[nodiscard]] std::string EditNoteLine(Tune& tune, const ToneText& text, std::int32_t noteIndex,
                                       std::int32_t lineIndex, const NoteDialogFields& fields,
                                       std::int32_t customNoteCount);

// The same for a pause line: the new length, the later items shifted.
[[nodiscard]] std::string EditPauseLine(Tune& tune, ToneText& text, std::int32_t line,
                                        std::string_view field);

// OK of the text strip: stores the text (cut to what a record holds).
// Returns true when the text is now empty (the view then removes it).
bool applyTextDialog(Tune& tune, std::int32_t textIndex, std::string_view field);

} // namespace qte
