#pragma once
// Note names as the tone text spells them, for people: the key strip's
// labels and what the note dialog takes. The tone text names a Normal note
// by a prefix and its NoteNameTable entry ("AUD_NOTE" "_C2,"); the name is
// that entry alone ("C2"). The octave digit changes at A, not at C: A, B
// and H come below the C of the same digit ("A2" is 81, "C2" 84), the
// lowest octave has no digit, "B" is a semitone below "H", and a flat is a
// "b" after the digit ("A2b").

#include "config/text_config.h"

#include <optional>
#include <string>
#include <string_view>

namespace qte {

// The name of a pitch in the tone text; "" for one it cannot name (the
// text writes those as "_UNK").
[[nodiscard]] std::string noteName(const NoteNameTable& names, int pitch);

// The pitch of a name in that scheme, also with a sharp or with its flat
// before the digit: "C", "Db", "D3b", "C#3", "Db3", "h4"; a prefix up to an
// underscore and a trailing comma may stay ("AUD_NOTE_C2,"). Nothing for
// anything else, or for a pitch outside 0 .. 127.
[[nodiscard]] std::optional<int> pitchOfNoteName(std::string_view name);

} // namespace qte
