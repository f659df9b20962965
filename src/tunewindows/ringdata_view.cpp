#include "tunewindows/ringdata_view.h"

#include "platform/surface.h"
#include "tune/tone_text.h"
#include "tune/tune.h"

#include <algorithm>
#include <string_view>

namespace qte {

namespace {

constexpr Colour kBlack = rgbColour(0, 0, 0);
constexpr Colour kUncoloured = rgbColour(180, 180, 180);

// One step of a scroll bar; nothing when the code is not handled.
bool applyScrollCode(std::int32_t& position, std::int32_t page, ScrollCode code,
                     std::int32_t trackPosition, bool leftIsHandled)
{
    switch (code) {
    case ScrollCode::LineUp: position -= 1; return true;
    case ScrollCode::LineDown: position += 1; return true;
    case ScrollCode::PageUp: position -= page; return true;
    case ScrollCode::PageDown: position += page; return true;
    case ScrollCode::ThumbTrack: position = trackPosition; return true;
    case ScrollCode::Top:
        if (!leftIsHandled) return false;
        position = 0;
        return true;
    default: return false;
    }
}

} // namespace

void resizeRingdataView(RingdataView& view, int clientWidth, int clientHeight)
{
    view.clientWidth = std::max(0, clientWidth);
    view.clientHeight = std::max(0, clientHeight);
    view.textVisibleLines = view.clientHeight / kTextLineHeight;
    view.textVisibleColumns = view.clientWidth / kTextCharWidth;
}

ScrollSetting ringdataVerticalBar(const RingdataView& view, const ToneText& text)
{
    return {0, std::max(0, text.toneTextLineCount - 1), view.textVisibleLines, view.textTopLine,
            true};
}

ScrollSetting ringdataHorizontalBar(const RingdataView& view)
{
    return {0, kTextColumns - 1, view.textVisibleColumns, view.textLeftColumn, true};
}

bool scrollRingdataVertically(RingdataView& view, const ToneText& text, ScrollCode code,
                              std::int32_t trackPosition)
{
    const bool handled =
        applyScrollCode(view.textTopLine, view.textVisibleLines, code, trackPosition, false);
    const std::int32_t last = text.toneTextLineCount - view.textVisibleLines;
    if (view.textTopLine >= last) view.textTopLine = last;
    if (view.textTopLine <= 0) view.textTopLine = 0;
    return handled;
}

bool scrollRingdataHorizontally(RingdataView& view, ScrollCode code, std::int32_t trackPosition)
{
    const bool handled =
        applyScrollCode(view.textLeftColumn, view.textVisibleColumns, code, trackPosition, true);
    const std::int32_t last = kTextColumns - view.textVisibleColumns;
    if (view.textLeftColumn >= last) view.textLeftColumn = last;
    if (view.textLeftColumn <= 0) view.textLeftColumn = 0;
    return handled;
}

Colour noteLineColour(const NoteRecord& note)
{
    // In 64 bits: a FREQ_DEFINE number may be any 32-bit value.
    const std::int64_t shade = (3 * std::int64_t{note.pitch} - 207) * 2;
    const std::uint32_t s = note.pitch > 68 ? static_cast<std::uint32_t>(shade & 0xFF) : 0u;
    if (note.selected) return rgbColour(0, s, 255);
    switch (note.noteKind()) {
    case NoteKind::Special: return rgbColour(255, s, 175);
    case NoteKind::FreqDefine: return rgbColour(s, 255, 255);
    case NoteKind::Normal: break;
    }
    return rgbColour(s, 255, s);
}

Colour lineColour(const LineInfo& info, const Tune& tune)
{
    switch (static_cast<LineItemKind>(info.itemKind)) {
    case LineItemKind::Pause: return rgbColour(150, 150, 150);
    case LineItemKind::Note:
        if (info.itemIndex >= 1 && info.itemIndex <= tune.noteCount)
            return noteLineColour(tune.noteTable[static_cast<std::size_t>(info.itemIndex)]);
        break;
    case LineItemKind::VibraOn:
    case LineItemKind::VibraOff: return rgbColour(150, 150, 0);
    case LineItemKind::RepeatOpen:
    case LineItemKind::RepeatClose: return rgbColour(200, 150, 0);
    case LineItemKind::FreeText: return rgbColour(20, 200, 125);
    case LineItemKind::Other: break;
    }
    return kUncoloured;
}

void PaintToneText(const RingdataView& view, const ToneText& text, const Tune& tune,
                   Surface& surface)
{
    surface.fillRect({0, 0, surface.width(), surface.height()}, kBlack);
    const std::int32_t top = std::max(0, view.textTopLine);
    const std::int32_t rows = std::min(view.textVisibleLines, text.toneTextLineCount - top);
    for (std::int32_t r = 0; r < rows; ++r) {
        const std::int32_t line = top + r;
        if (line >= kMaxToneTextLines) break;
        std::string_view s = text.toneTextLines[static_cast<std::size_t>(line)];
        const auto left = static_cast<std::size_t>(std::max(0, view.textLeftColumn));
        if (s.size() <= left) continue;
        s.remove_prefix(left);
        // A line break only ends the line.
        const auto eol = s.find_first_of("\r\n");
        if (eol != std::string_view::npos) s = s.substr(0, eol);
        surface.text(0, kTextLineHeight * r, s,
                     lineColour(text.lineInfo[static_cast<std::size_t>(line)], tune), kBlack, true);
    }
}

std::int32_t ringdataLineAtMouse(const RingdataView& view)
{
    return view.textTopLine + view.textMouseY / kTextLineHeight;
}

} // namespace qte
