#pragma once
// The tunetool commands. Each writes its result to out, warnings and errors
// to err, and returns the exit status (0 done, 1 failed).

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace qte::cli {

// The catalogue of a Ringdata.h: index, name and line range of each tune.
[[nodiscard]] int runList(const std::filesystem::path& file, std::ostream& out, std::ostream& err);

struct TuneChoice {
    std::optional<std::string> name; // a catalogue name, with or without its "[]"
    std::optional<int> index;        // 1-based
};

// The generated tone text of a single-tone file, or of one tune of a
// Ringdata.h when the choice names one.
[[nodiscard]] int runText(const std::filesystem::path& file, const TuneChoice& choice,
                          std::ostream& out, std::ostream& err);

// Reads a tune and writes it in the kind of the output's extension.
[[nodiscard]] int runConvert(const std::filesystem::path& in, const std::filesystem::path& out,
                             std::ostream& err);

} // namespace qte::cli
