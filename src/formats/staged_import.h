#pragma once
// The importers parse into a copy of the tune, so that a file that fails
// half way leaves the tune as it was.

#include "formats/format_result.h"
#include "tune/tempo.h"
#include "tune/tune.h"

#include <memory>
#include <utility>

namespace qte {

// makeParser(Tune& work) builds the parser over the copy; it has parse(),
// error and warnings. On success the copy replaces the tune.
template <class MakeParser> FormatResult ImportStaged(Tune& tune, MakeParser makeParser)
{
    FormatResult result;
    auto work = std::make_unique<Tune>(tune);
    auto parser = makeParser(*work);
    if (!parser.parse()) {
        result.error = std::move(parser.error);
        return result;
    }
    result.warnings = std::move(parser.warnings);
    tune = std::move(*work);
    return result;
}

// The same for a parser that also sets the note length, which changes only
// when the tune does.
template <class MakeParser>
FormatResult ImportStaged(Tune& tune, NoteLengthState& length, MakeParser makeParser)
{
    NoteLengthState workLength = length;
    FormatResult result =
        ImportStaged(tune, [&](Tune& work) { return makeParser(work, workLength); });
    if (result.ok()) length = workLength;
    return result;
}

} // namespace qte
