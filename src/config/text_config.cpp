#include "config/text_config.h"

#include "config/scan.h"
#include "io/files.h"
#include "io/linereader.h"

#include <algorithm>
#include <array>
#include <optional>

namespace qte {

namespace {

// fgets buffers: a line of 254 characters, a value line of 49, line end
// included.
constexpr std::size_t kLineBuffer = 255;
constexpr std::size_t kValueBuffer = 50;

// The file was written for a reader in text mode, where CR LF reads as LF.
// Also leaves out NUL bytes, counting them: kept, one would end a note name
// prefix or marker for good and no tone text would ever match it.
std::string textModeBytes(std::string_view bytes, std::size_t& nulBytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        if (bytes[i] == '\0') {
            ++nulBytes;
            continue;
        }
        out.push_back(bytes[i]);
    }
    return out;
}

std::string_view lessLast(std::string_view s)
{
    return s.empty() ? s : s.substr(0, s.size() - 1);
}

std::string keyForm(std::string_view raw)
{
    std::string key(raw);
    key.erase(std::remove(key.begin(), key.end(), ' '), key.end());
    return key;
}

// A block of stored lines and how it keeps within its capacity.
struct Block {
    const char* name;
    std::string* lines;
    int capacity;
    std::size_t maxChars;
    std::int32_t* count;
    bool dropped = false;
    bool cut = false;

    void open() { *count = 0; }
    void store(std::string_view text)
    {
        if (*count >= capacity) {
            dropped = true;
            return;
        }
        if (text.size() > maxChars) {
            cut = true;
            text = text.substr(0, maxChars);
        }
        lines[(*count)++] = std::string(text);
    }
    void report(std::vector<std::string>& warnings) const
    {
        if (dropped)
            warnings.push_back("config.cfg: the " + std::string(name) + " block holds more than " +
                               std::to_string(capacity) + " lines; the rest were not used.");
        if (cut)
            warnings.push_back("config.cfg: a line of the " + std::string(name) +
                               " block is longer than " + std::to_string(maxChars) +
                               " characters; it was cut.");
    }
};

// scanf "%d,%s": a number, a comma, and a name up to the first white space.
void scanCustomNote(std::string_view text, std::int32_t& freq, std::string& name, bool& cut)
{
    std::size_t used = 0;
    const std::optional<std::int32_t> value = ScanDecimalPrefix(text, used);
    if (!value) return;
    freq = *value;
    if (used >= text.size() || text[used] != ',') return;
    std::size_t i = used + 1;
    while (i < text.size() && IsScanfSpace(text[i]))
        ++i;
    std::size_t end = i;
    while (end < text.size() && !IsScanfSpace(text[end]))
        ++end;
    if (end == i) return;
    if (end - i > kMaxCustomNameChars) {
        cut = true;
        end = i + kMaxCustomNameChars;
    }
    name = std::string(text.substr(i, end - i));
}

} // namespace

NoteNameTable BuildNoteNameTable()
{
    static constexpr const char* kNames[] = {
        "_A,",   "_B,",   "_H,",  "_C,",   "_Db,", "_D,",   "_Eb,",  "_E,",  "_F,",   "_Gb,",
        "_G,",   "_A2b,", "_A2,", "_B2,",  "_H2,", "_C2,",  "_D2b,", "_D2,", "_E2b,", "_E2,",
        "_F2,",  "_G2b,", "_G2,", "_A3b,", "_A3,", "_B3,",  "_H3,",  "_C3,", "_D3b,", "_D3,",
        "_E3b,", "_E3,",  "_F3,", "_G3b,", "_G3,", "_A4b,", "_A4,",  "_B4,", "_H4,",  "_C4,",
    };
    NoteNameTable table;
    table.fill("_UNK");
    for (int p = 69; p <= 108; ++p)
        table[static_cast<std::size_t>(p)] = kNames[p - 69];
    return table;
}

TextConfigResult LoadTextConfig(TextConfig& config, std::string_view bytes)
{
    config.headerLineCount = -1;
    config.footerLineCount = -1;
    config.defaultStartLineCount = -1;
    config.defaultEndLineCount = -1;
    config.customNoteCount = -1;

    std::int32_t prefixCount = 0;
    Block prefixes{"NOTENAMES", config.noteNamePrefix.data(), kMaxPrefixes, kMaxPrefixChars,
                   &prefixCount};
    Block header{"HEADER", config.headerLines.data(), kMaxHeaderLines, kMaxHeaderChars,
                 &config.headerLineCount};
    Block footer{"FOOTER", config.footerLines.data(), kMaxFooterLines, kMaxFooterChars,
                 &config.footerLineCount};
    Block defStart{"DEF_STARTING", config.defaultStartLines.data(), kMaxDefaultLines,
                   kMaxDefaultChars, &config.defaultStartLineCount};
    Block defEnd{"DEF_ENDING", config.defaultEndLines.data(), kMaxDefaultLines, kMaxDefaultChars,
                 &config.defaultEndLineCount};
    bool customDropped = false;
    bool customCut = false;

    std::size_t nulBytes = 0;
    const std::string text = textModeBytes(bytes, nulBytes);
    LineReader reader(text);
    auto readValue = [&reader](std::string& target) {
        if (const std::optional<ReadLine> v = reader.next(kValueBuffer))
            target = std::string(lessLast(v->text));
    };
    // Three states per block: its key, "*BEGIN*", then lines up to "*END*".
    auto blockStep = [](int& state, const std::string& key, std::string_view raw, Block& block,
                        const char* blockKey) {
        const int phase = (state - 7) % 3;
        if (phase == 0) {
            if (key.starts_with(blockKey)) ++state;
        } else if (phase == 1) {
            if (key.starts_with("*BEGIN*")) {
                block.open();
                ++state;
            }
        } else if (key.starts_with("*END*")) {
            ++state;
        } else {
            block.store(lessLast(raw));
        }
    };

    int state = 1;
    while (std::optional<ReadLine> line = reader.next(kLineBuffer)) {
        if (line->hitEnd) break;
        const std::string_view raw = line->text;
        const std::string key = keyForm(raw);
        switch (state) {
        case 1:
            if (key.starts_with("NOTENAMES:")) state = 2;
            break;
        case 2:
            if (key.starts_with("*BEGIN*")) state = 3;
            break;
        case 3:
            if (key.starts_with("*END*"))
                state = 4;
            else
                prefixes.store(lessLast(key));
            break;
        case 4:
            if (key.starts_with("VIBRA:")) {
                readValue(config.vibraOnText);
                readValue(config.vibraOffText);
                state = 5;
            }
            break;
        case 5:
            if (key.starts_with("REPEAT:")) {
                readValue(config.repeatOpenText);
                readValue(config.repeatCloseText);
                state = 6;
            }
            break;
        case 6:
            if (key.starts_with("POLITE:")) {
                readValue(config.politeMarkerText);
                state = 7;
            }
            break;
        case 7:
        case 8:
        case 9: blockStep(state, key, raw, header, "HEADER:"); break;
        case 10:
        case 11:
        case 12: blockStep(state, key, raw, footer, "FOOTER:"); break;
        case 13:
        case 14:
        case 15: blockStep(state, key, raw, defStart, "DEF_STARTING:"); break;
        case 16:
        case 17:
        case 18: blockStep(state, key, raw, defEnd, "DEF_ENDING:"); break;
        case 19:
            if (key.starts_with("CUSTOMNOTES:")) state = 20;
            break;
        case 20:
            if (key.starts_with("*BEGIN*")) {
                config.customNoteCount = 0;
                state = 21;
            }
            break;
        case 21:
            if (key.starts_with("*END*")) {
                state = 22;
            } else if (config.customNoteCount >= kMaxCustomNotes) {
                customDropped = true;
            } else {
                const auto i = static_cast<std::size_t>(config.customNoteCount++);
                scanCustomNote(lessLast(raw), config.customNoteFreq[i], config.customNoteName[i],
                               customCut);
            }
            break;
        default: break;
        }
    }
    if (prefixCount >= 1) config.noteNamePrefixCount = prefixCount;

    TextConfigResult result;
    if (nulBytes > 0)
        result.warnings.emplace_back("config.cfg: the file holds NUL bytes; they were left out.");
    for (const Block* b : {&prefixes, &header, &footer, &defStart, &defEnd})
        b->report(result.warnings);
    if (customDropped)
        result.warnings.push_back("config.cfg: the CUSTOMNOTES block holds more than " +
                                  std::to_string(kMaxCustomNotes) +
                                  " notes; the rest were not used.");
    if (customCut)
        result.warnings.push_back("config.cfg: a custom note name is longer than " +
                                  std::to_string(kMaxCustomNameChars) + " characters; it was cut.");
    return result;
}

TextConfigResult LoadTextConfigFile(TextConfig& config, const std::filesystem::path& path)
{
    const FileReadResult file = readWholeFile(path);
    return LoadTextConfig(config, file.bytes ? std::string_view(*file.bytes) : std::string_view());
}

namespace {

enum class Placeholder { Id, Name, LowerName, UpperName };
constexpr int kPlaceholderCount = 4;

struct PlaceholderText {
    std::string_view text;
    Placeholder which;
};
constexpr PlaceholderText kPlaceholders[] = {{"*ID*", Placeholder::Id},
                                             {"*Name*", Placeholder::Name},
                                             {"*name*", Placeholder::LowerName},
                                             {"*NAME*", Placeholder::UpperName}};

// The placeholder that starts at text's first character, if any.
const PlaceholderText* placeholderAt(std::string_view text)
{
    if (text.empty() || text.front() != '*') return nullptr;
    for (const PlaceholderText& p : kPlaceholders)
        if (text.starts_with(p.text)) return &p;
    return nullptr;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

// A header line cut into literal text and placeholders.
struct HeaderToken {
    std::string literal;
    std::optional<Placeholder> placeholder;
};

std::vector<HeaderToken> tokenize(std::string_view line)
{
    std::vector<HeaderToken> tokens;
    for (std::size_t i = 0; i < line.size();) {
        if (const PlaceholderText* p = placeholderAt(line.substr(i))) {
            tokens.push_back({{}, p->which});
            i += p->text.size();
            continue;
        }
        if (tokens.empty() || tokens.back().placeholder) tokens.emplace_back();
        tokens.back().literal.push_back(line[i++]);
    }
    return tokens;
}

using Captures = std::array<std::optional<std::string>, kPlaceholderCount>;

// Each placeholder tries every length, so a header line of many of them
// would try more splits than there is time for: past this many tries the
// line is taken not to match.
constexpr int kMaxMatchTries = 20000;

class HeaderMatcher {
public:
    HeaderMatcher(const std::vector<HeaderToken>& tokens, std::string_view line)
        : m_tokens(tokens), m_line(line)
    {}

    bool match(Captures& captures)
    {
        std::size_t start = 0;
        while (start < m_line.size() && isBlank(m_line[start]))
            ++start;
        return from(0, start, captures);
    }

private:
    // What is left after the last token may only be the "{" of the body.
    [[nodiscard]] bool restIsOpening(std::size_t pos) const
    {
        const std::string_view rest = trimmed(m_line.substr(std::min(pos, m_line.size())));
        return rest.empty() || rest == "{";
    }

    bool take(Placeholder which, std::string_view text, Captures& captures) const
    {
        text = trimmed(text);
        if (text.empty()) return false;
        std::optional<std::string>& slot = captures[static_cast<std::size_t>(which)];
        if (slot && *slot != text) return false;
        slot = std::string(text);
        return true;
    }

    bool from(std::size_t t, std::size_t pos, Captures& captures)
    {
        if (++m_tries > kMaxMatchTries) return false;
        if (t == m_tokens.size()) return restIsOpening(pos);
        const HeaderToken& token = m_tokens[t];
        if (!token.placeholder) {
            for (const char c : token.literal) {
                if (isBlank(c)) {
                    while (pos < m_line.size() && isBlank(m_line[pos]))
                        ++pos;
                } else if (pos < m_line.size() && m_line[pos] == c) {
                    ++pos;
                } else {
                    return false;
                }
            }
            return from(t + 1, pos, captures);
        }
        if (t + 1 == m_tokens.size()) {
            std::string_view rest = trimmed(m_line.substr(std::min(pos, m_line.size())));
            if (rest.ends_with('{')) rest = trimmed(rest.substr(0, rest.size() - 1));
            return take(*token.placeholder, rest, captures);
        }
        // The shortest text that lets the rest of the line match.
        for (std::size_t end = pos + 1; end <= m_line.size(); ++end) {
            Captures tried = captures;
            if (take(*token.placeholder, m_line.substr(pos, end - pos), tried) &&
                from(t + 1, end, tried)) {
                captures = std::move(tried);
                return true;
            }
        }
        return false;
    }

    const std::vector<HeaderToken>& m_tokens;
    std::string_view m_line;
    int m_tries = 0;
};

} // namespace

std::string SubstitutePlaceholders(std::string_view line, std::string_view toneName,
                                   std::string_view toneId)
{
    std::string out;
    for (std::size_t i = 0; i < line.size();) {
        if (const PlaceholderText* p = placeholderAt(line.substr(i))) {
            switch (p->which) {
            case Placeholder::Id: out += toneId; break;
            case Placeholder::Name: out += toneName; break;
            case Placeholder::LowerName:
                for (const char c : toneName)
                    out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
                break;
            case Placeholder::UpperName:
                for (const char c : toneName)
                    out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
                break;
            }
            i += p->text.size();
        } else {
            out.push_back(line[i++]);
        }
    }
    if (out.size() > kMaxHeaderChars) out.resize(kMaxHeaderChars);
    return out;
}

void SubstituteHeaderPlaceholders(TextConfig& config, std::string_view toneName,
                                  std::string_view toneId)
{
    const int count = std::clamp(config.headerLineCount, 0, kMaxHeaderLines);
    for (int k = 0; k < count; ++k) {
        std::string& line = config.headerLines[static_cast<std::size_t>(k)];
        line = SubstitutePlaceholders(line, toneName, toneId);
    }
}

HeaderNames RecoverHeaderNames(const TextConfig& config, const std::vector<std::string_view>& lines)
{
    Captures found;
    const int count = std::clamp(config.headerLineCount, 0, kMaxHeaderLines);
    for (int k = 0; k < count; ++k) {
        const std::vector<HeaderToken> tokens =
            tokenize(config.headerLines[static_cast<std::size_t>(k)]);
        const bool named = std::any_of(tokens.begin(), tokens.end(),
                                       [](const HeaderToken& t) { return t.placeholder; });
        if (!named) continue;
        // The line nearest the body that matches.
        for (std::size_t i = lines.size(); i-- > 0;) {
            Captures captures;
            if (!HeaderMatcher(tokens, lines[i]).match(captures)) continue;
            for (std::size_t i = 0; i < captures.size(); ++i)
                if (captures[i] && !found[i]) found[i] = std::move(captures[i]);
            break;
        }
    }
    const auto get = [&found](Placeholder p) -> const std::optional<std::string>& {
        return found[static_cast<std::size_t>(p)];
    };
    HeaderNames names;
    for (Placeholder p : {Placeholder::Name, Placeholder::LowerName, Placeholder::UpperName}) {
        if (get(p)) {
            names.toneName = *get(p);
            break;
        }
    }
    if (get(Placeholder::Id)) names.toneId = *get(Placeholder::Id);
    return names;
}

} // namespace qte
