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

// The whole text, rebuilt from the tune. Also sets tune.tailMs, the time the
// last marker or text reaches past the end of the last note.
[[nodiscard]] GeneratedToneText GenerateToneText(Tune& tune, const TextConfig& config,
                                                 const NoteNameTable& names,
                                                 const ToneTextOptions& options);

// The tailMs GenerateToneText sets, without writing the text: every sound
// of the tune (played or saved) lasts this long past its last note.
[[nodiscard]] std::int32_t ToneTextTailMs(const Tune& tune);

} // namespace qte
