#include "config/note_names.h"

#include <gtest/gtest.h>

namespace qte {
namespace {

// The names of the tone text, read back to their pitches: every pitch the
// text can name, and the spellings a person may type instead.
TEST(NoteNames, EveryNameOfTheToneTextReadsBackToItsPitch)
{
    const NoteNameTable table = BuildNoteNameTable();
    for (int p = 0; p < 128; ++p) {
        SCOPED_TRACE(p);
        const std::string name = noteName(table, p);
        if (p < 69 || p > 108) {
            EXPECT_EQ(name, "");
            continue;
        }
        EXPECT_EQ("_" + name + ",", table[static_cast<std::size_t>(p)]);
        EXPECT_EQ(pitchOfNoteName(name), p);
    }
}

TEST(NoteNames, SharpsFlatsAndPrefixesAreRead)
{
    struct Case {
        const char* text;
        std::optional<int> pitch;
    };
    const Case cases[] = {
        {"C#3", 97},
        {"Db3", 97},
        {"D3b", 97},
        {"c", 72},
        {"H", 71},
        {"B", 70},
        {"Bb", 69},
        {"A", 69},
        {"G#2", 92},
        {"A3b", 92},
        {"AUD_NOTE_C2,", 84},
        {" E2 ", 88},
        {"C1", 72},
        {"C5", 120},
        {"G9", std::nullopt},
        {"", std::nullopt},
        {"X", std::nullopt},
        {"C##", std::nullopt},
        {"C#b", std::nullopt},
        {"C22", std::nullopt},
        {"C0", std::nullopt},
        {"69", std::nullopt},
        {"_", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(pitchOfNoteName(c.text), c.pitch);
    }
}

} // namespace
} // namespace qte
