#pragma once
// The tunetool commands. Each writes its result to out, warnings and errors
// to err, and returns the exit status (0 done, 1 failed). None throws.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli/tune_files.h"

namespace qte::cli {

struct CommandOptions {
    TuneChoice choice;
    TuneOptions tune;
    // Where config.cfg and midihz.ini are read from; empty for the current
    // directory and then dataFolder.
    std::filesystem::path configFolder;
    // The shipped files (dataFolderFor the program's folder); empty for none.
    std::filesystem::path dataFolder;
};

// The catalogue of a Ringdata.h: index, name and line range of each tune.
[[nodiscard]] int runList(const std::filesystem::path& file, std::ostream& out, std::ostream& err);

// The generated tone text of the tune of a file, or of one tune of a
// Ringdata.h when the choice names one. A tone text that stops at a line the
// parser cannot read prints what came before it and fails.
[[nodiscard]] int runText(const std::filesystem::path& file, const CommandOptions& options,
                          std::ostream& out, std::ostream& err);

// Name, ID, tempo, item counts and length of the tune of a file. The length
// is the end of the last note plus the time a marker or text reaches past
// it; repeat blocks count once.
[[nodiscard]] int runInfo(const std::filesystem::path& file, const CommandOptions& options,
                          std::ostream& out, std::ostream& err);

// Reads a tune and writes it atomically in the kind of the output's
// extension. Nothing is written when the input is not read completely or
// the output cannot hold the tune; a failed write keeps the old file.
[[nodiscard]] int runConvert(const std::filesystem::path& in, const std::filesystem::path& out,
                             const CommandOptions& options, std::ostream& err);

// Writes every tune of the files into folder (made when missing) as the
// kind kindName names ("ota" or ".ota", ...): each tune of a Ringdata.h
// under its own name, any other file under its stem. Prints a line for each
// file written; a tune that cannot be read or written is reported and
// skipped, and the status is then 1.
[[nodiscard]] int runExport(const std::vector<std::filesystem::path>& files,
                            const std::filesystem::path& folder, const std::string& kindName,
                            const CommandOptions& options, std::ostream& out, std::ostream& err);

// Puts the tune of source into the Ringdata.h target: the definition called
// asName (empty: the name config.cfg's header gives the tune) is replaced in
// place, or appended when target has none of that name. Prints what was
// done with its lines; target is written atomically and left as it was on
// any failure.
[[nodiscard]] int runPut(const std::filesystem::path& target, const std::filesystem::path& source,
                         const std::string& asName, const CommandOptions& options,
                         std::ostream& out, std::ostream& err);

// Takes the definition called name out of the Ringdata.h target, with the
// blank line that separated it; prints what was removed.
[[nodiscard]] int runRemove(const std::filesystem::path& target, const std::string& name,
                            const CommandOptions& options, std::ostream& out, std::ostream& err);

} // namespace qte::cli
