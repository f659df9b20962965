#include "tune/ringdata_file.h"

#include "io/files.h"
#include "io/linereader.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace qte {

namespace {

constexpr std::size_t kNameStart = 10; // the name starts with the 11th character
constexpr std::size_t kMinNameChars = 4;
constexpr std::string_view kCloseMarker = "};";

// The line without its line end. A Windows line end counts as one, as it
// does for a file read in text mode.
std::string_view withoutLineEnd(std::string_view line)
{
    if (!line.empty() && line.back() == '\n') {
        line.remove_suffix(1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    }
    return line;
}

bool endsWith(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool beginsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The array name in a space-free line: from the 11th character up to "=" or
// the line end.
std::string_view nameIn(std::string_view spaceFree)
{
    if (spaceFree.size() <= kNameStart) return {};
    const std::string_view rest = spaceFree.substr(kNameStart);
    return rest.substr(0, rest.find_first_of("=\r\n"));
}

// The line as its space-free form ends: without trailing spaces and its
// line end.
std::string_view trimmedOfLineEnd(std::string_view line)
{
    const auto trimSpaces = [&] {
        while (!line.empty() && line.back() == ' ')
            line.remove_suffix(1);
    };
    const bool hadLineEnd = !line.empty() && line.back() == '\n';
    if (hadLineEnd) line.remove_suffix(1);
    trimSpaces();
    if (hadLineEnd && !line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
        trimSpaces();
    }
    return line;
}

// Whether the space-free line begins with "};".
bool beginsWithCloseMarker(std::string_view line)
{
    std::size_t i = line.find_first_not_of(' ');
    if (i == std::string_view::npos || line[i] != '}') return false;
    i = line.find_first_not_of(' ', i + 1);
    return i != std::string_view::npos && line[i] == ';';
}

void appendWarnings(ToneTextResult& into, ToneTextResult&& from)
{
    for (std::string& w : from.warnings)
        into.warnings.push_back(std::move(w));
    if (into.error.empty()) into.error = std::move(from.error);
}

// Stores a line cut to what a stored line holds, counting the cut lines.
class LineStore {
public:
    explicit LineStore(SourceLines& lines) : m_lines(lines) {}

    void add(std::string_view line, std::int32_t fileLine)
    {
        if (line.size() > kMaxSourceLineChars) {
            if (m_cut++ == 0) m_firstCut = fileLine;
            line = line.substr(0, kMaxSourceLineChars);
        }
        std::string& stored = m_lines.sourceLines.emplace_back(line);
        // A NUL is no text: kept, it would hide the rest of the line from the
        // parser and be written back into the next saved file.
        if (stored.find('\0') != std::string::npos) {
            if (m_nul++ == 0) m_firstNul = fileLine;
            std::erase(stored, '\0');
        }
    }

    void warn(ToneTextResult& result) const
    {
        if (m_cut > 0)
            result.warnings.push_back(linesOf(m_firstCut, m_cut) +
                                      ": the line is longer than 129 characters and was cut.");
        if (m_nul > 0)
            result.warnings.push_back(linesOf(m_firstNul, m_nul) +
                                      ": the line holds NUL bytes; they were left out.");
    }

private:
    static std::string linesOf(std::int32_t first, int count)
    {
        std::string w = "Line " + std::to_string(first);
        if (count > 1) w += " (and " + std::to_string(count - 1) + " more)";
        return w;
    }

    SourceLines& m_lines;
    int m_cut = 0;
    std::int32_t m_firstCut = 0;
    int m_nul = 0;
    std::int32_t m_firstNul = 0;
};

// The name and ID from the lines before a body: the header's lines, at most
// as many as config.cfg's header has, ending with the "{" line.
void recoverNames(Tune& tune, const TextConfig& config, const std::vector<std::string_view>& lines)
{
    const HeaderNames names = RecoverHeaderNames(config, lines);
    if (!names.toneName.empty()) tune.toneName = names.toneName.substr(0, kMaxNameChars);
    if (!names.toneId.empty()) tune.toneId = names.toneId.substr(0, kMaxNameChars);
}

std::size_t headerWindow(const TextConfig& config)
{
    return static_cast<std::size_t>(std::clamp(config.headerLineCount, 0, kMaxHeaderLines));
}

// File lines from..to (1-based), without their line ends.
std::vector<std::string_view> fileLines(std::string_view bytes, std::int32_t from, std::int32_t to)
{
    std::vector<std::string_view> lines;
    LineReader reader(bytes);
    for (std::int32_t k = 1; k <= to; ++k) {
        const auto read = reader.next(kRingdataLineChars + 1);
        if (!read || read->hitEnd) break;
        if (k >= from) lines.push_back(withoutLineEnd(read->text));
    }
    return lines;
}

std::string entryName(const CatalogueEntry& entry)
{
    return entry.name.empty() ? std::string("The tune") : "\"" + entry.name + "\"";
}

} // namespace

ToneTextResult ScanRingdataFile(std::string_view bytes, TuneCatalogue& catalogue)
{
    // The tests look at the lines as if every space had been removed; they
    // are made on the raw lines so that a scan copies nothing.
    ToneTextResult result;
    catalogue.tuneCount = 0;
    LineReader reader(bytes);
    std::string_view previous;
    std::string spaceFree;
    bool inside = false;
    bool listed = false; // the definition being read has an entry
    bool tooMany = false;
    std::int32_t k = 0;
    while (const auto read = reader.next(kRingdataLineChars + 1)) {
        if (read->hitEnd) break; // a last line without a line end is not examined
        ++k;
        const std::string_view line = read->text;
        if (!inside) {
            const std::string_view body = trimmedOfLineEnd(line);
            if (!body.empty() && body.back() == '{') {
                inside = true;
                listed = catalogue.tuneCount < kMaxCatalogueTunes;
                if (listed) {
                    CatalogueEntry& e =
                        catalogue.entries[static_cast<std::size_t>(++catalogue.tuneCount)];
                    e.firstLine = k;
                    e.lastLine = 0;
                    spaceFree.assign(line);
                    RemoveSpaces(spaceFree);
                    std::string_view name = nameIn(spaceFree);
                    if (name.size() < kMinNameChars) {
                        spaceFree.assign(previous);
                        RemoveSpaces(spaceFree);
                        name = nameIn(spaceFree);
                    }
                    e.name.assign(name.substr(0, kMaxNameChars));
                } else {
                    tooMany = true;
                }
            }
        } else if (beginsWithCloseMarker(line)) {
            if (listed)
                catalogue.entries[static_cast<std::size_t>(catalogue.tuneCount)].lastLine = k;
            inside = false;
        }
        previous = line;
    }
    if (inside && listed) {
        CatalogueEntry& e = catalogue.entries[static_cast<std::size_t>(catalogue.tuneCount)];
        e.lastLine = k;
        result.warnings.push_back(entryName(e) +
                                  " has no closing \"};\"; it runs to the end of the file.");
    }
    if (tooMany) {
        result.warnings.emplace_back(
            "The file holds more than 999 tunes; the rest are not listed.");
    }
    return result;
}

ToneTextResult ScanRingdataPath(const std::filesystem::path& path, TuneCatalogue& catalogue)
{
    const FileReadResult file = readWholeFile(path);
    if (!file.bytes) return {file.error.message, {}};
    TuneCatalogue scanned;
    ToneTextResult result = ScanRingdataFile(*file.bytes, scanned);
    catalogue = std::move(scanned);
    return result;
}

ToneTextResult ReadCatalogueLines(std::string_view bytes, const CatalogueEntry& entry,
                                  SourceLines& lines)
{
    ToneTextResult result;
    lines = SourceLines{};
    if (entry.firstLine < 1 || entry.lastLine < entry.firstLine) {
        result.error = entryName(entry) + " has no lines in the file.";
        return result;
    }
    LineReader reader(bytes);
    std::int32_t k = 0;
    while (k < entry.firstLine) {
        const auto read = reader.next(kRingdataLineChars + 1);
        if (!read || read->hitEnd) break;
        ++k;
    }
    if (k < entry.firstLine) {
        result.error = "The file no longer holds " + entryName(entry) +
                       " where it was listed; open the file again.";
        return result;
    }
    std::vector<std::string_view> body;
    while (k < entry.lastLine) {
        const auto read = reader.next(kRingdataLineChars + 1);
        if (!read || read->hitEnd) break;
        ++k;
        body.push_back(withoutLineEnd(read->text));
    }
    // The last stored line is never read as part of the tune: without its
    // "};" an empty line stands in, so that every line of the tune counts.
    std::string closing;
    if (!body.empty()) {
        closing.assign(body.back());
        RemoveSpaces(closing);
    }
    if (body.empty() || !beginsWith(closing, kCloseMarker)) body.emplace_back();
    if (body.size() > static_cast<std::size_t>(kMaxSourceLines)) {
        body.erase(body.begin() + (kMaxSourceLines - 1), body.end() - 1);
        result.warnings.push_back(entryName(entry) +
                                  " has more than 1000 lines; the rest were not loaded.");
    }
    LineStore store(lines);
    for (std::size_t i = 0; i < body.size(); ++i) {
        store.add(body[i], entry.firstLine + 1 + static_cast<std::int32_t>(i));
    }
    store.warn(result);
    lines.bodyOpenLine = 0;
    lines.bodyCloseLine = lines.sourceLineCount() + 1;
    lines.firstLineOffset = entry.firstLine;
    return result;
}

ToneTextResult ReadToneFileLines(std::string_view bytes, SourceLines& lines)
{
    ToneTextResult result;
    lines = SourceLines{};
    lines.bodyOpenLine = -1;
    lines.bodyCloseLine = -1;
    LineStore store(lines);
    LineReader reader(bytes);
    std::string key;
    std::int32_t k = 1;
    for (; k < kMaxSourceLines; ++k) {
        const auto read = reader.next(kRingdataLineChars + 1);
        if (!read || read->hitEnd) break;
        store.add(withoutLineEnd(read->text), k);
        key.assign(read->text);
        RemoveSpaces(key);
        const std::string_view body = withoutLineEnd(key);
        if (endsWith(body, "{")) lines.bodyOpenLine = k;
        if (endsWith(body, kCloseMarker)) lines.bodyCloseLine = k;
    }
    if (k == kMaxSourceLines && !reader.atEnd()) {
        result.warnings.emplace_back("The file has more than 999 lines; the rest were not loaded.");
    }
    store.warn(result);
    if (lines.bodyOpenLine == -1) lines.bodyOpenLine = 0;
    if (lines.bodyCloseLine == -1) lines.bodyCloseLine = k;
    return result;
}

ToneTextResult LoadCatalogueTune(Tune& tune, const TuneCatalogue& catalogue, int n,
                                 std::string_view ringdataBytes, ParserState& state,
                                 const TextConfig& config, const NoteNameTable& names)
{
    if (n < 1 || n > catalogue.tuneCount) {
        return {"There is no tune number " + std::to_string(n) + " in the list.", {}};
    }
    const CatalogueEntry& entry = catalogue.entries[static_cast<std::size_t>(n)];
    SourceLines lines;
    ToneTextResult result = ReadCatalogueLines(ringdataBytes, entry, lines);
    if (!result.ok()) return result;
    Tune loaded = tune;
    ClearTune(loaded);
    appendWarnings(result, ParseToneText(loaded, lines, state, config, names));
    // The header lines stop where the definition before this one ended.
    const std::int32_t previousEnd =
        n > 1 ? catalogue.entries[static_cast<std::size_t>(n - 1)].lastLine : 0;
    const auto window = static_cast<std::int32_t>(headerWindow(config));
    if (window > 0) {
        const std::int32_t from = std::max(previousEnd + 1, entry.firstLine - window + 1);
        recoverNames(loaded, config, fileLines(ringdataBytes, from, entry.firstLine));
    }
    tune = std::move(loaded);
    return result;
}

ToneTextResult LoadCatalogueTunePath(Tune& tune, const TuneCatalogue& catalogue, int n,
                                     const std::filesystem::path& ringdataPath, ParserState& state,
                                     const TextConfig& config, const NoteNameTable& names)
{
    const FileReadResult file = readWholeFile(ringdataPath);
    if (!file.bytes) return {file.error.message, {}};
    return LoadCatalogueTune(tune, catalogue, n, *file.bytes, state, config, names);
}

ToneTextResult LoadToneFile(Tune& tune, std::string_view bytes, ParserState& state,
                            const TextConfig& config, const NoteNameTable& names)
{
    SourceLines lines;
    ToneTextResult result = ReadToneFileLines(bytes, lines);
    Tune loaded = tune;
    ClearTune(loaded);
    if (lines.sourceLineCount() > 0) {
        appendWarnings(result, ParseToneText(loaded, lines, state, config, names));
    }
    const std::size_t open = static_cast<std::size_t>(std::max(lines.bodyOpenLine, 0));
    const std::size_t window = headerWindow(config);
    if (open > 0 && open <= lines.sourceLines.size() && window > 0) {
        std::vector<std::string_view> header;
        for (std::size_t k = open > window ? open - window : 0; k < open; ++k)
            header.emplace_back(lines.sourceLines[k]);
        recoverNames(loaded, config, header);
    }
    tune = std::move(loaded);
    return result;
}

ToneTextResult LoadToneFilePath(Tune& tune, const std::filesystem::path& path, ParserState& state,
                                const TextConfig& config, const NoteNameTable& names)
{
    const FileReadResult file = readWholeFile(path);
    if (!file.bytes) return {file.error.message, {}};
    return LoadToneFile(tune, *file.bytes, state, config, names);
}

std::int32_t CountToneDefinitions(std::string_view bytes)
{
    auto catalogue = std::make_unique<TuneCatalogue>();
    (void)ScanRingdataFile(bytes, *catalogue);
    return catalogue->tuneCount;
}

std::string ToneTextBytes(const ToneText& text)
{
    std::string bytes;
    const int count = std::clamp(text.toneTextLineCount, 0, kMaxToneTextLines);
    for (int i = 0; i < count; ++i)
        bytes += text.toneTextLines[static_cast<std::size_t>(i)];
    return bytes;
}

std::string ToneTextSaveError(const ToneText& text)
{
    if (text.toneTextLineCount < 1) return "there is no tone text.";
    if (text.droppedLineCount > 0)
        return "the tone text is longer than " + std::to_string(kMaxToneTextLines) +
               " lines. Save the tune in another format, or shorten it.";
    return {};
}

ToneTextResult SaveToneText(const std::filesystem::path& path, const ToneText& text)
{
    if (std::string error = ToneTextSaveError(text); !error.empty())
        return {"Cannot save \"" + path.string() + "\": " + error, {}};
    if (const auto error = writeFileAtomically(path, ToneTextBytes(text))) {
        return {error->message, {}};
    }
    return {};
}

} // namespace qte
