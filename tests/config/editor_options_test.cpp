#include "config/editor_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qte {
namespace {

// What a file's bytes give, and the sentences about lines that could not be
// taken; every option a file does not set keeps its default (on).
TEST(EditorOptions, ReadsTheLinesItKnowsAndKeepsDefaultsElsewhere)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::int32_t soundNotes;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {"empty", "", 1, {}},
        {"off", "SoundNotesWhileEditing=0\n", 0, {}},
        {"spaces and CR LF", "# comment\r\n  SoundNotesWhileEditing = 0 \r\n", 0, {}},
        {"last line wins, no final newline",
         "SoundNotesWhileEditing=0\nSoundNotesWhileEditing=1",
         1,
         {}},
        {"unknown names and lines", "Volume=3\nnonsense\n=0\nsoundnoteswhileediting=0\n", 1, {}},
        {"out of range",
         "SoundNotesWhileEditing=2\n",
         1,
         {"SoundNotesWhileEditing cannot be \"2\"; it keeps 1."}},
        {"not a number",
         "SoundNotesWhileEditing=yes\n",
         1,
         {"SoundNotesWhileEditing cannot be \"yes\"; it keeps 1."}},
        {"trailing junk",
         "SoundNotesWhileEditing=0x\n",
         1,
         {"SoundNotesWhileEditing cannot be \"0x\"; it keeps 1."}},
        {"binary", std::string("\0\xff=\n\x1a", 5), 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const EditorOptionsResult r = LoadEditorOptions(c.bytes);
        EXPECT_EQ(r.options.soundNotes, c.soundNotes);
        EXPECT_EQ(r.warnings, c.warnings);
    }
}

TEST(EditorOptions, WrittenFileReadsBackTheSame)
{
    for (const std::int32_t on : {0, 1}) {
        const EditorOptions written{on};
        const std::string bytes = EncodeEditorOptions(written);
        const EditorOptionsResult r = LoadEditorOptions(bytes);
        EXPECT_EQ(r.options, written) << bytes;
        EXPECT_TRUE(r.warnings.empty());
    }
}

} // namespace
} // namespace qte
