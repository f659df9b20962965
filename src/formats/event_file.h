#pragma once
// Event files (*.evt): one event a line, "<pitch code> <seconds>", code 0
// for a pause. Events follow one another from 0 ms without gaps.

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "formats/format_result.h"

namespace qte {

struct Tune;

// Codes read as notes; others keep their time as pause.
constexpr std::int32_t kEvtLowestPitch = 1;
constexpr std::int32_t kEvtHighestPitch = 127;

// The notes as events ("69 0.375000\n"), a pause line before each gap. Only
// the millisecond times are written: no name, ID, tempo or note kind.
[[nodiscard]] ExportResult ExportEvt(const Tune& tune);

// ExportEvt, then the bytes written atomically to path. On any failure the
// file is not touched.
[[nodiscard]] ExportResult ExportEvtFile(const Tune& tune, const std::filesystem::path& path);

// Replaces the tune's notes with the file's events and derives their units
// from the current tempo (which stays). Reading stops at the first thing
// that is not a number, with a warning; an error, leaving the tune as it
// was, only when the file holds text but not one event. Never reads outside
// bytes. The caller records the file and regenerates the tone text.
[[nodiscard]] FormatResult ImportEvt(std::string_view bytes, Tune& tune);

// Reads the file, then ImportEvt. A file that cannot be read is an error
// naming it.
[[nodiscard]] FormatResult ImportEvtFile(const std::filesystem::path& path, Tune& tune);

} // namespace qte
