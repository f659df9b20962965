#pragma once
// Tempo changes and the length of the next drawn note.

#include <cstdint>

namespace qte {

struct Tune;

// The toolbar's note value and modifier and the length they give.
struct NoteLengthState {
    std::int32_t noteLengthIndex = 1;    // 1 thirty-second .. 6 whole note
    std::int32_t noteLengthModifier = 0; // 0 none, 1 dotted, 2 double-dotted, 3 triplet
    float newNoteUnits = 1.0f;
};

enum class StyleMode : std::int32_t { None = 0, Natural = 1, Continuous = 2, Staccato = 3 };

// The style notes are drawn and sized in. Until a style is chosen (and for
// a value no menu item sets) that is Continuous, so that on a fresh start a
// note can be dragged longer and resized.
[[nodiscard]] constexpr StyleMode drawingStyle(std::int32_t styleMode)
{
    switch (styleMode) {
    case static_cast<std::int32_t>(StyleMode::Natural): return StyleMode::Natural;
    case static_cast<std::int32_t>(StyleMode::Staccato): return StyleMode::Staccato;
    default: return StyleMode::Continuous;
    }
}

// The tempi the editor plays and the tempo dialog takes. Above the top one a
// unit would last less than 8 ms, too short for any note the firmware plays.
constexpr std::int32_t kMinTempoBpm = 1;
constexpr std::int32_t kMaxTempoBpm = 999;

[[nodiscard]] inline bool isValidTempo(std::int32_t bpm)
{
    return bpm >= kMinTempoBpm && bpm <= kMaxTempoBpm;
}

// Sets the tempo and recomputes every millisecond value from the unit
// values; with keepNaturalNotes, natural-style notes stay 20 ms short of
// their note value. Refuses (returns false, changes nothing) a tempo that
// is not isValidTempo. Also re-runs setNoteLength. The caller regenerates the text.
[[nodiscard]] bool setTempo(Tune& tune, std::int32_t bpm, bool keepNaturalNotes,
                            NoteLengthState& length, std::int32_t styleMode);

// Sets the modifier and newNoteUnits from index, modifier, style and tempo.
void setNoteLength(NoteLengthState& length, std::int32_t index, std::int32_t modifier,
                   std::int32_t styleMode, float msPerUnit);

} // namespace qte
