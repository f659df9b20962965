#include "tune/ringdata_edit.h"

#include "io/linereader.h"
#include "tune/tone_parser.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

namespace qte {

namespace {

constexpr std::string_view kPlaceholders[] = {"*ID*", "*Name*", "*name*", "*NAME*"};

std::string_view withoutBrackets(std::string_view name)
{
    if (name.ends_with("[]")) name.remove_suffix(2);
    return name;
}

std::string_view withoutTrailingBlanks(std::string_view line)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r' ||
                             line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

bool isBlankLine(std::string_view line)
{
    return withoutTrailingBlanks(line).empty();
}

bool isEndif(std::string_view line)
{
    const std::size_t hash = line.find_first_not_of(" \t");
    if (hash == std::string_view::npos || line[hash] != '#') return false;
    const std::size_t word = line.find_first_not_of(" \t", hash + 1);
    return word != std::string_view::npos && line.substr(word).starts_with("endif");
}

// Whether a line of the file is what a line of config.cfg writes for some
// name and ID: its placeholders stand for any text, the rest must be as
// written; blanks at the line's end do not count.
bool writtenBy(std::string_view pattern, std::string_view line)
{
    pattern = withoutTrailingBlanks(pattern);
    line = withoutTrailingBlanks(line);
    std::vector<std::string_view> literals;
    std::size_t from = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '*') continue;
        for (const std::string_view p : kPlaceholders) {
            if (!pattern.substr(i).starts_with(p)) continue;
            literals.push_back(pattern.substr(from, i - from));
            i += p.size() - 1;
            from = i + 1;
            break;
        }
    }
    literals.push_back(pattern.substr(from));
    if (literals.size() == 1) return line == literals.front();
    // Each placeholder takes the shortest text that lets the next literal
    // follow; only the last literal is bound to the line's end.
    if (!line.starts_with(literals.front())) return false;
    std::size_t pos = literals.front().size();
    for (std::size_t k = 1; k + 1 < literals.size(); ++k) {
        pos = line.find(literals[k], pos);
        if (pos == std::string_view::npos) return false;
        pos += literals[k].size();
    }
    return line.size() >= pos + literals.back().size() && line.ends_with(literals.back());
}

// The lines config.cfg writes above the header's "{" line, and below the
// footer's "};" line.
struct TemplateShape {
    std::vector<std::string_view> above;
    std::vector<std::string_view> below;
};

TemplateShape templateShape(const TextConfig& config)
{
    TemplateShape shape;
    const auto headerCount =
        static_cast<std::size_t>(std::clamp(config.headerLineCount, 0, kMaxHeaderLines));
    for (std::size_t i = headerCount; i-- > 0;) {
        if (!OpensDefinition(config.headerLines[i])) continue;
        shape.above.assign(config.headerLines.begin(), config.headerLines.begin() + i);
        break;
    }
    const auto footerCount =
        static_cast<std::size_t>(std::clamp(config.footerLineCount, 0, kMaxFooterLines));
    for (std::size_t i = 0; i < footerCount; ++i) {
        if (!ClosesDefinition(config.footerLines[i])) continue;
        shape.below.assign(config.footerLines.begin() + i + 1,
                           config.footerLines.begin() + footerCount);
        break;
    }
    return shape;
}

// The line end of the file's first line; "\n" for a file without one.
std::string_view lineEndOf(std::string_view bytes)
{
    const std::size_t lf = bytes.find('\n');
    return lf != std::string_view::npos && lf > 0 && bytes[lf - 1] == '\r' ? "\r\n" : "\n";
}

// text (whole lines ending in "\n") with the file's line end, and without
// the last one when the new lines end the file whose last line has none.
std::string withLineEnds(std::string_view text, std::string_view lineEnd, bool dropLast)
{
    if (dropLast && text.ends_with('\n')) text.remove_suffix(1);
    if (lineEnd == "\n") return std::string(text);
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string inQuotes(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

std::string linesText(std::int32_t first, std::int32_t last)
{
    return first == last ? "line " + std::to_string(first)
                         : "lines " + std::to_string(first) + "-" + std::to_string(last);
}

// One line of the file as the scan counts them: a line of at most 254
// characters, line end included; a longer line counts as several.
struct Piece {
    std::size_t begin = 0;
    std::size_t end = 0;     // past its line end
    bool startsLine = false; // the first piece of a line
    bool ended = false;      // ends with "\n"
};

// A definition's lines in the file, found again from its catalogue entry.
struct Located {
    std::string error;
    std::int32_t first = 0; // the first line of its header
    std::int32_t last = 0;  // its "};" line, or the last footer line after it
    std::size_t begin = 0;  // bytes of lines first..last
    std::size_t end = 0;
    std::optional<Piece> blankBefore;
    std::optional<Piece> blankAfter;
};

Located locate(std::string_view bytes, const TuneCatalogue& catalogue, int n,
               const TextConfig& config)
{
    Located at;
    if (n < 1 || n > catalogue.tuneCount) {
        at.error = "there is no tune number " + std::to_string(n) + " in the list.";
        return at;
    }
    const CatalogueEntry& entry = catalogue.entries[static_cast<std::size_t>(n)];
    const std::int32_t open = entry.firstLine;
    const std::int32_t previousEnd =
        n > 1 ? catalogue.entries[static_cast<std::size_t>(n - 1)].lastLine : 0;
    const TemplateShape shape = templateShape(config);
    const auto above = static_cast<std::int32_t>(shape.above.size());
    const auto below = static_cast<std::int32_t>(shape.below.size());
    // Lines lo.. are kept: the header's lines and a blank line above them.
    // None of the lines up to previousEnd, the previous definition's, is
    // ever taken; the one above the "{" line may still hold the name.
    const std::int32_t lo = std::max(1, open - std::max(above, 1) - 1);

    std::vector<Piece> pieces; // pieces[i] is line lo + i
    LineReader reader(bytes);
    std::int32_t k = 0;
    std::int32_t close = 0;
    bool lineStart = true;
    while (const auto read = reader.next(kRingdataLineChars + 1)) {
        ++k;
        const auto begin = static_cast<std::size_t>(read->text.data() - bytes.data());
        const bool ended = read->text.ends_with('\n');
        if (k >= lo) pieces.push_back({begin, begin + read->text.size(), lineStart, ended});
        lineStart = ended;
        if (close == 0 && k > open && ClosesDefinition(read->text)) close = k;
        if (close > 0 && k >= close + below + 2 && ended) break;
    }
    const auto piece = [&](std::int32_t line) -> const Piece* {
        const std::int64_t i = static_cast<std::int64_t>(line) - lo;
        return line >= lo && i < static_cast<std::int64_t>(pieces.size())
                   ? &pieces[static_cast<std::size_t>(i)]
                   : nullptr;
    };
    const auto text = [&](const Piece& p) { return bytes.substr(p.begin, p.end - p.begin); };

    const Piece* openPiece = piece(open);
    if (openPiece == nullptr || !OpensDefinition(text(*openPiece))) {
        at.error = "the file no longer holds " + inQuotes(entry.name) + " where it was listed (" +
                   linesText(open, open) + "); open it again.";
        return at;
    }
    const std::string openName = DefinitionNameIn(text(*openPiece));
    const Piece* abovePiece = piece(open - 1);
    if (openName != entry.name &&
        (abovePiece == nullptr || DefinitionNameIn(text(*abovePiece)) != entry.name)) {
        at.error = "the file no longer holds " + inQuotes(entry.name) + " where it was listed (" +
                   linesText(open, open) + "); open it again.";
        return at;
    }
    if (close == 0) {
        at.error = inQuotes(entry.name) +
                   " has no line beginning with \"};\" after its \"{\" line, so where it "
                   "ends is not known.";
        return at;
    }

    // From the first line of the header as config.cfg writes it, or else
    // from the line the name is read from, so no half of an old header stays.
    at.first = open;
    bool templated = above > 0 && open - above > previousEnd;
    for (std::int32_t i = 0; templated && i < above; ++i) {
        const Piece* p = piece(open - above + i);
        templated = p != nullptr && p->startsLine &&
                    writtenBy(shape.above[static_cast<std::size_t>(i)], text(*p));
    }
    if (templated) {
        at.first = open - above;
    } else if (openName != entry.name && open - 1 > previousEnd) {
        at.first = open - 1;
    }
    const Piece* firstPiece = piece(at.first);
    if (firstPiece == nullptr || !firstPiece->startsLine) {
        at.error = inQuotes(entry.name) + " begins inside a line longer than " +
                   std::to_string(kRingdataLineChars) + " characters (" +
                   linesText(at.first, at.first) + "); change it by hand.";
        return at;
    }

    // The "};" line runs to its line end, then the footer's lines after it.
    at.last = close;
    while (piece(at.last) != nullptr && !piece(at.last)->ended && piece(at.last + 1) != nullptr)
        ++at.last;
    bool footed = below > 0;
    for (std::int32_t i = 0; footed && i < below; ++i) {
        const Piece* p = piece(at.last + 1 + i);
        footed = p != nullptr && p->startsLine && (p->ended || p->end == bytes.size()) &&
                 writtenBy(shape.below[static_cast<std::size_t>(i)], text(*p));
    }
    if (footed) at.last += below;

    at.begin = firstPiece->begin;
    at.end = piece(at.last)->end;
    if (const Piece* p = piece(at.first - 1); p != nullptr && p->startsLine && p->ended &&
                                              at.first - 1 > previousEnd && isBlankLine(text(*p)))
        at.blankBefore = *p;
    if (const Piece* p = piece(at.last + 1); p != nullptr && p->startsLine &&
                                             (p->ended || p->end == bytes.size()) &&
                                             isBlankLine(text(*p)))
        at.blankAfter = *p;
    return at;
}

std::unique_ptr<TuneCatalogue> scanned(std::string_view text)
{
    auto catalogue = std::make_unique<TuneCatalogue>();
    (void)ScanRingdataFile(text, *catalogue);
    return catalogue;
}

// The index (0-based) of the line of text the catalogue read entry's name
// from: its "{" line or the one above.
std::size_t nameLineOf(const std::vector<std::string_view>& lines, const CatalogueEntry& entry)
{
    const auto open = static_cast<std::size_t>(entry.firstLine - 1);
    return DefinitionNameIn(lines[open]) == entry.name || open == 0 ? open : open - 1;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::size_t n = lf == std::string_view::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(0, n));
        text.remove_prefix(n);
    }
    return lines;
}

// Where a new definition goes: before the final "#endif" after the last
// definition, else before the blank lines that end the file, else at its end.
struct InsertionPoint {
    std::string error;
    std::size_t byte = 0;
    std::int32_t linesBefore = 0;
    bool previousBlank = true; // the line before it is blank, or there is none
};

InsertionPoint insertionPoint(std::string_view bytes, const TuneCatalogue& catalogue)
{
    const std::int32_t lastOpen =
        catalogue.tuneCount > 0
            ? catalogue.entries[static_cast<std::size_t>(catalogue.tuneCount)].firstLine
            : 0;
    bool closed = catalogue.tuneCount == 0;
    InsertionPoint endif;
    InsertionPoint blankRun;
    bool haveEndif = false;
    bool inBlankRun = false;
    bool previousBlank = true;
    LineReader reader(bytes);
    std::int32_t k = 0;
    bool lineStart = true;
    while (const auto read = reader.next(kRingdataLineChars + 1)) {
        const auto begin = static_cast<std::size_t>(read->text.data() - bytes.data());
        const bool startsLine = lineStart;
        lineStart = read->text.ends_with('\n');
        ++k;
        if (!closed || !startsLine) {
            closed = closed || (k > lastOpen && ClosesDefinition(read->text));
            previousBlank = false;
            inBlankRun = false;
            continue;
        }
        if (isEndif(read->text)) {
            endif = {{}, begin, k - 1, previousBlank};
            haveEndif = true;
        }
        const bool blank = isBlankLine(read->text);
        if (blank && !inBlankRun) blankRun = {{}, begin, k - 1, previousBlank};
        inBlankRun = blank;
        previousBlank = blank;
    }
    if (!closed) {
        const CatalogueEntry& last =
            catalogue.entries[static_cast<std::size_t>(catalogue.tuneCount)];
        InsertionPoint none;
        none.error = inQuotes(last.name) +
                     " has no line beginning with \"};\", so a definition after it would be "
                     "read as part of it.";
        return none;
    }
    InsertionPoint point = haveEndif    ? endif
                           : inBlankRun ? blankRun
                                        : InsertionPoint{{}, bytes.size(), k, previousBlank};
    if (point.byte == 0) point.previousBlank = true;
    return point;
}

} // namespace

bool SameDefinitionName(std::string_view a, std::string_view b)
{
    return withoutBrackets(a) == withoutBrackets(b);
}

int FindDefinition(const TuneCatalogue& catalogue, std::string_view name)
{
    for (int i = 1; i <= catalogue.tuneCount; ++i)
        if (SameDefinitionName(catalogue.entries[static_cast<std::size_t>(i)].name, name)) return i;
    return 0;
}

DefinitionText DefinitionFromText(std::string text, std::string_view name)
{
    DefinitionText def;
    if (!text.empty() && !text.ends_with('\n')) text += '\n';
    def.lineCount = static_cast<std::int32_t>(std::count(text.begin(), text.end(), '\n'));
    if (def.lineCount == 0) {
        def.error = "there is no tone text.";
        return def;
    }
    auto catalogue = scanned(text);
    if (catalogue->tuneCount != 1) {
        def.error = catalogue->tuneCount == 0
                        ? "the tone text opens no definition: no line of config.cfg's header "
                          "ends with \"{\"."
                        : "the tone text reads as " + std::to_string(catalogue->tuneCount) +
                              " definitions, not one.";
        return def;
    }
    std::vector<std::string_view> lines = splitLines(text);
    const CatalogueEntry* entry = &catalogue->entries[1];
    const auto closeAt = static_cast<std::size_t>(entry->lastLine - 1);
    if (closeAt >= lines.size() || !ClosesDefinition(lines[closeAt])) {
        def.error = "the tone text does not close its definition: config.cfg's footer needs a "
                    "line beginning with \"};\".";
        return def;
    }
    if (entry->lastLine - entry->firstLine > kMaxDefinitionLines) {
        def.error = "the definition would have " +
                    std::to_string(entry->lastLine - entry->firstLine) +
                    " lines after its \"{\" line, more than the " +
                    std::to_string(kMaxDefinitionLines) + " a reader takes.";
        return def;
    }
    if (!name.empty() && !SameDefinitionName(entry->name, name)) {
        const std::size_t at = nameLineOf(lines, *entry);
        const NameSpan span = DefinitionNameSpan(lines[at]);
        std::string wanted(withoutBrackets(name));
        if (entry->name.ends_with("[]")) wanted += "[]";
        std::size_t offset = 0;
        for (std::size_t i = 0; i < at; ++i)
            offset += lines[i].size();
        text.replace(offset + span.begin, span.end - span.begin, wanted);
        catalogue = scanned(text);
        entry = &catalogue->entries[1];
        if (catalogue->tuneCount != 1 || !SameDefinitionName(entry->name, name)) {
            def.error = "a definition called " + inQuotes(name) + " would be listed as " +
                        inQuotes(catalogue->tuneCount == 1 ? entry->name : std::string()) + ".";
            return def;
        }
    }
    def.name = entry->name;
    def.openLine = entry->firstLine;
    def.text = std::move(text);
    return def;
}

DefinitionText DefinitionTextOf(const Tune& tune, const TextConfig& config,
                                const NoteNameTable& names, const ToneTextOptions& options,
                                std::string_view name)
{
    auto copy = std::make_unique<Tune>(tune);
    TextConfig named = config;
    SubstituteHeaderPlaceholders(named, tune.toneName, tune.toneId);
    GeneratedToneText generated = GenerateToneText(*copy, named, names, options);
    DefinitionText def;
    if (std::string error = ToneTextSaveError(generated.text); !error.empty()) {
        def.error = std::move(error);
    } else {
        def = DefinitionFromText(ToneTextBytes(generated.text), name);
    }
    def.warnings = std::move(generated.warnings);
    return def;
}

std::string DescribeEdit(const RingdataEdit& edit)
{
    switch (edit.action) {
    case DefinitionAction::Replaced:
        return "replaced " + edit.name + ": " + linesText(edit.firstLine, edit.lastLine) +
               " (were " + std::to_string(edit.oldFirstLine) + "-" +
               std::to_string(edit.oldLastLine) + ")";
    case DefinitionAction::Appended:
        return "appended " + edit.name + ": " + linesText(edit.firstLine, edit.lastLine);
    case DefinitionAction::Removed:
        return "removed " + edit.name + ": " + linesText(edit.firstLine, edit.lastLine);
    }
    return {};
}

RingdataEdit ReplaceDefinition(std::string bytes, const TuneCatalogue& catalogue, int n,
                               const DefinitionText& text, const TextConfig& config)
{
    RingdataEdit edit;
    edit.action = DefinitionAction::Replaced;
    edit.warnings = text.warnings;
    if (!text.ok()) {
        edit.error = text.error;
        return edit;
    }
    edit.name = text.name;
    const Located at = locate(bytes, catalogue, n, config);
    if (!at.error.empty()) {
        edit.error = at.error;
        return edit;
    }
    const CatalogueEntry& entry = catalogue.entries[static_cast<std::size_t>(n)];
    if (const int other = FindDefinition(catalogue, text.name);
        !SameDefinitionName(text.name, entry.name) && other != 0) {
        const CatalogueEntry& taken = catalogue.entries[static_cast<std::size_t>(other)];
        edit.error = inQuotes(taken.name) + " is already in the file (" +
                     linesText(taken.firstLine, taken.lastLine) + ").";
        return edit;
    }
    const bool endsFile = at.end == bytes.size() && !bytes.ends_with('\n');
    bytes.replace(at.begin, at.end - at.begin, withLineEnds(text.text, lineEndOf(bytes), endsFile));
    edit.bytes = std::move(bytes);
    edit.firstLine = at.first;
    edit.lastLine = at.first + text.lineCount - 1;
    edit.oldFirstLine = at.first;
    edit.oldLastLine = at.last;
    return edit;
}

RingdataEdit AppendDefinition(std::string bytes, const TuneCatalogue& catalogue,
                              const DefinitionText& text)
{
    RingdataEdit edit;
    edit.action = DefinitionAction::Appended;
    edit.warnings = text.warnings;
    if (!text.ok()) {
        edit.error = text.error;
        return edit;
    }
    edit.name = text.name;
    if (withoutBrackets(text.name).empty()) {
        edit.error = "the definition has no name: config.cfg's header gives it none.";
        return edit;
    }
    if (catalogue.tuneCount >= kMaxCatalogueTunes) {
        edit.error = "the file holds " + std::to_string(kMaxCatalogueTunes) +
                     " tone definitions already, as many as its list can hold.";
        return edit;
    }
    if (const int taken = FindDefinition(catalogue, text.name); taken != 0) {
        const CatalogueEntry& e = catalogue.entries[static_cast<std::size_t>(taken)];
        edit.error = inQuotes(e.name) + " is already in the file (" +
                     linesText(e.firstLine, e.lastLine) + ").";
        return edit;
    }

    const InsertionPoint point = insertionPoint(bytes, catalogue);
    if (!point.error.empty()) {
        edit.error = point.error;
        return edit;
    }
    const std::size_t at = point.byte;
    const bool previousBlank = point.previousBlank;

    const std::string_view lineEnd = lineEndOf(bytes);
    const bool endsFile = at == bytes.size();
    const bool unterminated = endsFile && !bytes.empty() && !bytes.ends_with('\n');
    std::string insert;
    if (unterminated) insert += lineEnd; // the old last line gets its line end
    if (!previousBlank) insert += lineEnd;
    insert += withLineEnds(text.text, lineEnd, unterminated);
    if (previousBlank && !endsFile) insert += lineEnd;
    bytes.insert(at, insert);
    edit.bytes = std::move(bytes);
    edit.firstLine = point.linesBefore + (previousBlank ? 1 : 2);
    edit.lastLine = edit.firstLine + text.lineCount - 1;
    return edit;
}

RingdataEdit RemoveDefinition(std::string bytes, const TuneCatalogue& catalogue, int n,
                              const TextConfig& config)
{
    RingdataEdit edit;
    edit.action = DefinitionAction::Removed;
    const Located at = locate(bytes, catalogue, n, config);
    if (!at.error.empty()) {
        edit.error = at.error;
        return edit;
    }
    edit.name = catalogue.entries[static_cast<std::size_t>(n)].name;
    std::size_t begin = at.begin;
    std::size_t end = at.end;
    if (at.blankBefore)
        begin = at.blankBefore->begin;
    else if (at.blankAfter)
        end = at.blankAfter->end;
    const bool openEnd = end == bytes.size() && !bytes.ends_with('\n');
    bytes.erase(begin, end - begin);
    // What now ends the file keeps the old last line's lack of a line end.
    if (openEnd && begin > 0 && bytes.ends_with('\n')) {
        bytes.pop_back();
        if (bytes.ends_with('\r')) bytes.pop_back();
    }
    edit.bytes = std::move(bytes);
    edit.firstLine = at.first;
    edit.lastLine = at.last;
    return edit;
}

RingdataEdit SaveTuneInDefinition(std::string bytes, const TuneCatalogue& catalogue, int n,
                                  const Tune& tune, const TextConfig& config,
                                  const NoteNameTable& names, const ToneTextOptions& options)
{
    if (n < 1 || n > catalogue.tuneCount) {
        RingdataEdit edit;
        edit.error = "there is no tune number " + std::to_string(n) + " in the list.";
        return edit;
    }
    const std::string& name = catalogue.entries[static_cast<std::size_t>(n)].name;
    return ReplaceDefinition(std::move(bytes), catalogue, n,
                             DefinitionTextOf(tune, config, names, options, name), config);
}

RingdataEdit AddTuneAsDefinition(std::string bytes, const TuneCatalogue& catalogue,
                                 const Tune& tune, const TextConfig& config,
                                 const NoteNameTable& names, const ToneTextOptions& options)
{
    return AppendDefinition(std::move(bytes), catalogue,
                            DefinitionTextOf(tune, config, names, options));
}

RingdataEdit PutTuneInRingdata(std::string bytes, const TuneCatalogue& catalogue, const Tune& tune,
                               const TextConfig& config, const NoteNameTable& names,
                               const ToneTextOptions& options, std::string_view name)
{
    DefinitionText text = DefinitionTextOf(tune, config, names, options, name);
    if (const int n = text.ok() ? FindDefinition(catalogue, text.name) : 0; n != 0)
        return ReplaceDefinition(std::move(bytes), catalogue, n, text, config);
    return AppendDefinition(std::move(bytes), catalogue, text);
}

std::uint64_t HashBytes(std::string_view bytes)
{
    // Eight bytes a step, so that a file of 20 MB is hashed in a few ms.
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = 0xCBF29CE484222325ull ^ bytes.size();
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, 8);
        h = std::rotl(h ^ word, 29) * kMultiplier;
    }
    for (; i < bytes.size(); ++i)
        h = (h ^ static_cast<unsigned char>(bytes[i])) * 0x100000001B3ull;
    return h ^ (h >> 32);
}

ScannedFile FingerprintOf(std::string_view bytes, const std::optional<FileStamp>& stamp)
{
    return {bytes.size(), HashBytes(bytes), stamp};
}

bool StillAsScanned(const ScannedFile& scanned, std::string_view bytes,
                    const std::optional<FileStamp>& stamp)
{
    return scanned.stamp == stamp && scanned.size == bytes.size() &&
           scanned.hash == HashBytes(bytes);
}

AppliedEdit ApplyRingdataEdit(FileStore& store, const std::filesystem::path& path,
                              const ScannedFile* scanned,
                              const std::function<RingdataEdit(std::string bytes)>& edit)
{
    AppliedEdit applied;
    const std::string file = inQuotes(path.string());
    const std::optional<FileStamp> stamp = store.stamp(path);
    FileReadResult read = store.read(path);
    if (!read.bytes) {
        applied.outcome = EditOutcome::CannotRead;
        applied.message = read.error.message;
        return applied;
    }
    if (scanned != nullptr && !StillAsScanned(*scanned, *read.bytes, stamp)) {
        applied.outcome = EditOutcome::ChangedOnDisk;
        applied.message = file + " has changed on disk since it was read; nothing was written.";
        return applied;
    }
    applied.edit = edit(std::move(*read.bytes));
    if (!applied.edit.ok()) {
        applied.outcome = EditOutcome::Refused;
        applied.message = "Cannot change " + file + ": " + applied.edit.error;
        return applied;
    }
    if (const auto error = store.write(path, *applied.edit.bytes)) {
        applied.outcome = EditOutcome::CannotWrite;
        applied.message = error->message + " (the file is unchanged)";
        return applied;
    }
    applied.outcome = EditOutcome::Written;
    applied.written = FingerprintOf(*applied.edit.bytes, store.stamp(path));
    return applied;
}

} // namespace qte
