#include "config/frequency_table.h"

#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace qte {
namespace {

TEST(FrequencyTable, BuiltInTuning)
{
    const FrequencyTable table = DefaultFrequencyTable();
    const NoteFrequencyTable hz = BuildNoteFrequencies(table);
    EXPECT_EQ(std::tie(hz[60], hz[69], hz[108]), std::make_tuple(262, 440, 4187)); // 261.69 up
    EXPECT_EQ(std::tie(table[13], table[69], table[72]), std::make_tuple(17.31, 440.22, 523.38));
    // Every tuned pitch lies within one percent of equal temperament and
    // above the one below it, which a mistyped value would break.
    for (int p = 0; p < kPitchCount; ++p) {
        SCOPED_TRACE(p);
        if (p <= 12 || p > 108) {
            EXPECT_EQ(table[p], p <= 12 ? 0.0 : 4187.01);
            continue;
        }
        EXPECT_NEAR(table[p] / (440.0 * std::pow(2.0, (p - 69) / 12.0)), 1.0, 0.01);
        EXPECT_GT(table[p], table[p - 1]);
    }
}

TEST(FrequencyTable, FileLines)
{
    const std::string longOk = std::string(248, ' ') + "60,300\n";  // 254 characters
    const std::string longCut = std::string(249, ' ') + "60,300\n"; // 255: read as "...60,30"
    const int top = std::numeric_limits<std::int32_t>::max();
    const struct {
        const char* name;
        std::string text;
        int pitch;
        std::int32_t hz;
        int applied;
    } cases[] = {{"half rounds up", "60,261.5\n", 60, 262, 1},
                 {"just below half", "60,261.49\n", 60, 261, 1},
                 {"last line without line end", "[midihz]\n61,277", 61, 277, 1},
                 {"blank before the comma", "69 ,450\n", 69, 440, 0},
                 {"leading blanks and a comment", "  69,  450.5 ; tuned up\n", 69, 451, 1},
                 {"CR LF line ends", "69,450\r\n70,460\r\n", 70, 460, 2},
                 {"later line wins", "60,261.5\n60,300\n", 60, 300, 2},
                 {"pitch too high", "128,100\n", 127, 4187, 0},
                 {"negative pitch", "-1,100\n", 0, 0, 0},
                 {"pitch 0 may be set", "0,12.6\n", 0, 13, 1},
                 {"no number after the comma", "60,abc\n60,\n", 60, 262, 0},
                 {"heading and blank lines", "[midihz]\n\n; 60,100\n", 60, 262, 0},
                 {"exponent", "60,1e3\n", 60, 1000, 1},
                 {"254 characters are one line", longOk, 60, 300, 1},
                 {"a longer line goes on as the next", longCut, 60, 30, 1},
                 {"NUL ends the line", "60,3" + std::string(1, '\0') + "00\n", 60, 3, 1},
                 {"not a number", "60,nan\n", 60, 0, 1},
                 {"infinite is held at the top", "60,inf\n", 60, top, 1},
                 {"beyond float range", "60,1e60\n", 60, top, 1},
                 {"no check on the value", "60,-7.7\n", 60, -7, 1},
                 {"huge pitch number", "99999999999999999999,5\n", 60, 262, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FrequencyTable table = DefaultFrequencyTable();
        EXPECT_EQ(LoadFrequencyTable(table, c.text), c.applied);
        EXPECT_EQ(BuildNoteFrequencies(table)[c.pitch], c.hz);
    }
}

TEST(FrequencyTable, Files)
{
    // Our shipped midihz.ini only explains itself: the tuning stays built in.
    FrequencyTable table = DefaultFrequencyTable();
    const FrequencyFileResult shipped = LoadFrequencyTable(table, test::resourcePath("midihz.ini"));
    EXPECT_FALSE(shipped.error);
    EXPECT_EQ(shipped.linesApplied, 0);
    EXPECT_EQ(table, DefaultFrequencyTable());

    test::TempDir dir;
    const FrequencyFileResult missing = LoadFrequencyTable(table, dir.file("midihz.ini"));
    ASSERT_TRUE(missing.error);
    EXPECT_NE(missing.error->message.find("midihz.ini"), std::string::npos);
    EXPECT_EQ(table, DefaultFrequencyTable());

    test::writeFileOrDie(dir.file("midihz.ini"), "[midihz]\n61,300\n62,310.5");
    const FrequencyFileResult read = LoadFrequencyTable(table, dir.file("midihz.ini"));
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.linesApplied, 2);
    // Only the pitches the file names change.
    FrequencyTable expected = DefaultFrequencyTable();
    expected[61] = 300.0;
    expected[62] = 310.5;
    EXPECT_EQ(table, expected);
}

} // namespace
} // namespace qte
