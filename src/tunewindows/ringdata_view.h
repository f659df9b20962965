#pragma once
// The "Ringdata view": the generated tone text, line by line in each line's
// colour, scrolled by lines and columns.

#include "platform/scroll.h"
#include "platform/surface.h"

#include <cstdint>

namespace qte {

class Surface;
struct LineInfo;
struct NoteRecord;
struct ToneText;
struct Tune;

constexpr int kTextLineHeight = 15; // the font's cell
constexpr int kTextCharWidth = 8;
// Columns the horizontal bar reaches: the last column shows character 129.
constexpr int kTextColumns = 130;

struct RingdataView {
    std::int32_t textTopLine = 0;
    std::int32_t textLeftColumn = 0;
    std::int32_t textVisibleLines = 0;
    std::int32_t textVisibleColumns = 0;
    std::int32_t textMouseX = 0;
    std::int32_t textMouseY = 0;
    int clientWidth = 0;
    int clientHeight = 0;
};

void resizeRingdataView(RingdataView& view, int clientWidth, int clientHeight);

// The bars after a resize or a regeneration.
[[nodiscard]] ScrollSetting ringdataVerticalBar(const RingdataView& view, const ToneText& text);
[[nodiscard]] ScrollSetting ringdataHorizontalBar(const RingdataView& view);

// Returns whether the code was one the view handles (then it repaints).
bool scrollRingdataVertically(RingdataView& view, const ToneText& text, ScrollCode code,
                              std::int32_t trackPosition);
bool scrollRingdataHorizontally(RingdataView& view, ScrollCode code, std::int32_t trackPosition);

// A line shows its item: notes by kind, pitch and selection (a sounding
// note is selected while it plays), the other items by their kind.
[[nodiscard]] Colour noteLineColour(const NoteRecord& note);
[[nodiscard]] Colour lineColour(const LineInfo& info, const Tune& tune);

void PaintToneText(const RingdataView& view, const ToneText& text, const Tune& tune,
                   Surface& surface);

// The text line under the last mouse position.
[[nodiscard]] std::int32_t ringdataLineAtMouse(const RingdataView& view);

} // namespace qte
