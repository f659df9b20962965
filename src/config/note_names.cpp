#include "config/note_names.h"

#include <cctype>

namespace qte {

namespace {

// Semitones from the C of the letter's octave; A, B and H lie below it.
std::optional<int> letterOffset(char c)
{
    switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'C': return 0;
    case 'D': return 2;
    case 'E': return 4;
    case 'F': return 5;
    case 'G': return 7;
    case 'A': return -3;
    case 'B': return -2;
    case 'H': return -1;
    default: return std::nullopt;
    }
}

// The C of the lowest octave, the one written without a digit.
constexpr int kLowestC = 72;

} // namespace

std::string noteName(const NoteNameTable& names, int pitch)
{
    if (pitch < 0 || pitch >= static_cast<int>(names.size())) return {};
    std::string_view entry = names[static_cast<std::size_t>(pitch)];
    if (!entry.empty() && entry.front() == '_') entry.remove_prefix(1);
    if (!entry.empty() && entry.back() == ',') entry.remove_suffix(1);
    if (entry == "UNK") return {};
    return std::string(entry);
}

std::optional<int> pitchOfNoteName(std::string_view name)
{
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.front())))
        name.remove_prefix(1);
    while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back())))
        name.remove_suffix(1);
    if (!name.empty() && name.back() == ',') name.remove_suffix(1);
    if (const auto underscore = name.rfind('_'); underscore != std::string_view::npos)
        name.remove_prefix(underscore + 1);
    if (name.empty()) return std::nullopt;

    const std::optional<int> letter = letterOffset(name.front());
    if (!letter) return std::nullopt;
    std::size_t i = 1;
    int accidental = 0;
    auto takeAccidental = [&] {
        if (accidental != 0 || i >= name.size()) return;
        if (name[i] == '#') accidental = 1;
        if (name[i] == 'b') accidental = -1;
        if (accidental != 0) ++i;
    };
    takeAccidental();
    int octave = 1;
    if (i < name.size() && name[i] >= '1' && name[i] <= '9') octave = name[i++] - '0';
    takeAccidental();
    if (i != name.size()) return std::nullopt;
    const int pitch = kLowestC + 12 * (octave - 1) + *letter + accidental;
    if (pitch < 0 || pitch > 127) return std::nullopt;
    return pitch;
}

} // namespace qte
