#pragma once
// The generated firmware tone text, one entry per output line, with what
// each line shows.

#include <array>
#include <cstdint>
#include <string>

namespace qte {

constexpr int kMaxToneTextLines = 1000;
constexpr std::size_t kMaxToneTextLineChars = 129; // a stored line, line end included

enum class LineItemKind : std::uint8_t {
    Pause = 0,
    Note = 1,
    VibraOn = 2,
    VibraOff = 102,
    RepeatOpen = 3,
    RepeatClose = 103,
    FreeText = 4,
    Other = 255, // header, tempo, default parts, blank lines, footer
};

struct LineInfo {
    std::uint8_t itemKind = static_cast<std::uint8_t>(LineItemKind::Other);
    std::int32_t itemIndex = 0; // pause length in ms, or the item's list index
};

struct ToneText {
    std::array<std::string, kMaxToneTextLines> toneTextLines{};
    std::array<LineInfo, kMaxToneTextLines> lineInfo{};
    std::int32_t toneTextLineCount = 0;
    // Lines the generator could not keep (beyond the 1000 a text holds); a
    // text that lost lines is not a faithful copy of the tune.
    std::int32_t droppedLineCount = 0;
};

} // namespace qte
