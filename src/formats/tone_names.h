#pragma once
// Tone names and IDs taken from the names files carry (a MIDI track name,
// an iMelody NAME line), made fit for the tune and its tone text.

#include <string>
#include <string_view>

namespace qte {

// The name with control characters (line ends, tabs) turned into spaces,
// outer spaces trimmed, and cut to what toneName holds, never inside a
// UTF-8 character.
[[nodiscard]] std::string cleanToneName(std::string_view name);

// The first four ASCII letters and digits of the name, upper-cased; "" when
// it has none.
[[nodiscard]] std::string toneIdFromName(std::string_view name);

} // namespace qte
