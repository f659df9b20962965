#pragma once
// Options of this editor beyond the nine of config.dat, kept between runs
// in a small text file of their own, editor.ini in the start directory, so
// that config.dat keeps exactly the fields other tools read. One
// "Name=value" line an option; lines it does not know are skipped.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qte {

constexpr const char* kEditorOptionsFile = "editor.ini";

struct EditorOptions {
    std::int32_t soundNotes = 1; // "Sound notes while editing": 1 on, 0 off

    bool operator==(const EditorOptions&) const = default;
};

struct EditorOptionsResult {
    EditorOptions options;
    // One sentence per line that named an option with a value it cannot take.
    std::vector<std::string> warnings;
};

// Reads the file's bytes; every option it does not set keeps its default.
// Never fails.
[[nodiscard]] EditorOptionsResult LoadEditorOptions(std::string_view bytes);

// The bytes of the file holding options.
[[nodiscard]] std::string EncodeEditorOptions(const EditorOptions& options);

} // namespace qte
