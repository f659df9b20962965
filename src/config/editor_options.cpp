#include "config/editor_options.h"

#include <array>
#include <charconv>

namespace qte {

namespace {

struct OptionRule {
    std::int32_t EditorOptions::*field;
    const char* name;
    std::int32_t lowest;
    std::int32_t highest;
};

const std::array<OptionRule, 1> kOptions = {{
    {&EditorOptions::soundNotes, "SoundNotesWhileEditing", 0, 1},
}};

std::string_view trimmed(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace

EditorOptionsResult LoadEditorOptions(std::string_view bytes)
{
    EditorOptionsResult result;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = trimmed(line.substr(0, equals));
        const std::string_view text = trimmed(line.substr(equals + 1));
        for (const OptionRule& rule : kOptions) {
            if (name != rule.name) continue;
            std::int32_t value = 0;
            const auto [rest, error] =
                std::from_chars(text.data(), text.data() + text.size(), value);
            if (error != std::errc() || rest != text.data() + text.size() || value < rule.lowest ||
                value > rule.highest) {
                result.warnings.push_back(std::string(rule.name) + " cannot be \"" +
                                          std::string(text) + "\"; it keeps " +
                                          std::to_string(result.options.*rule.field) + ".");
                continue;
            }
            result.options.*rule.field = value;
        }
    }
    return result;
}

std::string EncodeEditorOptions(const EditorOptions& options)
{
    std::string out = "# Quelo Internal Tune Editor: options kept beside config.dat\n";
    for (const OptionRule& rule : kOptions)
        out += std::string(rule.name) + "=" + std::to_string(options.*rule.field) + "\n";
    return out;
}

} // namespace qte
