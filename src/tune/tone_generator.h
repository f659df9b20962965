#pragma once
// Writes the tune as the firmware's tone text: one TONE line per note and
// pause, the marker lines, the free texts, and config.cfg's header, footer
// and default parts.

#include <string>
#include <vector>

#include "config/text_config.h"
#include "tune/tone_text.h"
#include "tune/tune.h"

namespace qte {

struct ToneTextOptions {
    bool writeTempo = false;      // Settings "Write tempo"
    bool addDefaultParts = false; // Options "Add default parts"
};

struct GeneratedToneText {
    ToneText text;
    // Sentences for the user when lines had to be cut or dropped.
    std::vector<std::string> warnings;
};

// The whole text, rebuilt from the tune. The header lines get the tune's
// name and ID for their placeholders.
[[nodiscard]] GeneratedToneText WriteToneText(const Tune& tune, const TextConfig& config,
                                              const NoteNameTable& names,
                                              const ToneTextOptions& options);
// The same, and sets tune.tailMs (TailMsOf).
[[nodiscard]] GeneratedToneText GenerateToneText(Tune& tune, const TextConfig& config,
                                                 const NoteNameTable& names,
                                                 const ToneTextOptions& options);

// The time the last item of the text reaches past the end of the last note;
// tune.tailMs as it is when the tune has no item.
[[nodiscard]] std::int32_t TailMsOf(const Tune& tune);

// The lowest and highest pitch of a Normal note the tone text names; both
// -1 when it names none.
struct NamedPitches {
    std::int32_t lowest = -1;
    std::int32_t highest = -1;
};
[[nodiscard]] NamedPitches NamedPitchRange(const NoteNameTable& names);

// The Normal notes the tone text has no name for, by where they lie.
struct UnnamedNotes {
    std::vector<std::int32_t> belowMs; // starts of the notes below the lowest name
    std::vector<std::int32_t> aboveMs; // and above the highest
    std::string lowestName;            // "A"
    std::string highestName;           // "C4"
    [[nodiscard]] bool any() const { return !belowMs.empty() || !aboveMs.empty(); }
};
[[nodiscard]] UnnamedNotes FindUnnamedNotes(const Tune& tune, const NoteNameTable& names);
// "3 notes lie below A, the lowest note the tone text names: at 0 ms, 500 ms
// and 1000 ms. Transpose them, or save in another format."; "" when every
// note has a name.
[[nodiscard]] std::string UnnamedNotesWarning(const Tune& tune, const NoteNameTable& names);

} // namespace qte
