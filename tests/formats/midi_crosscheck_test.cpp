// The MIDI reader and writer against an independent one, Debian's
// python3-mido (run with /usr/bin/python3, which the set-up installs it
// for): mido reads what we write with the notes, ticks and tempo we mean,
// and we read what mido writes with the notes and times it holds.

#include "formats/format_tunes.h"
#include "formats/midi_file.h"
#include "support/testsupport.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

namespace qte {
namespace {

const std::filesystem::path kScripts = std::filesystem::path(QTE_SOURCE_DIR) / "tests/formats/mido";

bool haveMido()
{
    return std::system("/usr/bin/python3 -c 'import mido' >/dev/null 2>&1") == 0;
}

// The script's standard output; the test fails when it does not run.
std::string runPython(const std::string& script, const std::string& arg)
{
    test::TempDir dir;
    const std::string out = dir.file("out").string();
    const std::string cmd =
        "/usr/bin/python3 '" + (kScripts / script).string() + "' '" + arg + "' >'" + out + "' 2>&1";
    const int status = std::system(cmd.c_str());
    std::string text = test::readFileOrDie(out);
    EXPECT_EQ(status, 0) << cmd << "\n" << text;
    return text;
}

std::string dumpWithMido(const std::string& bytes)
{
    test::TempDir dir;
    test::writeFileOrDie(dir.file("t.mid"), bytes);
    return runPython("dump_midi.py", dir.file("t.mid").string());
}

#define SKIP_WITHOUT_MIDO()                                                                        \
    if (!haveMido())                                                                               \
    GTEST_SKIP() << "python3-mido is not installed (scripts/setup.sh installs "                    \
                    "it)"

TEST(MidiCrossCheck, MidoReadsWhatWeWrite)
{
    SKIP_WITHOUT_MIDO();
    auto blocks =
        test::unitTune({{0, 4, 60}, {4, 8, 62}, {8, 12, 64}, {14, 15.5f, 65}}, 100, "Blocks");
    RepeatRecord& block = blocks->repeatList[++blocks->repeatCount];
    block.startUnits = 4;
    block.endUnits = 12;
    block.startMs = unitsToMs(4, blocks->msPerUnit);
    block.endMs = unitsToMs(12, blocks->msPerUnit);
    block.repetitions = 2;
    for (int i = 1; i <= blocks->noteCount; ++i) {
        NoteRecord& n = blocks->noteTable[i];
        n.startMs = unitsToMs(n.startUnits, blocks->msPerUnit);
        n.endMs = unitsToMs(n.endUnits, blocks->msPerUnit);
    }
    TextRecord& text = blocks->textList[++blocks->textCount];
    text.timeUnits = 4;
    text.setText("block");

    struct Case {
        const char* name;
        std::unique_ptr<Tune> tune;
        const char* dump;
    };
    Case cases[] = {
        {"worked example", test::unitTune({{0, 8, 69}, {16, 20, 73}}),
         "file 0 96 1\nname Ring1\ntempo 0 375000\nnote 69 0 96 0\nnote 73 192 240 0\n"},
        // 100 bpm is 600000 us; the block is played twice, so the note after
        // it moves on by 8 units; the text in the block stands where it
        // begins.
        {"repeat block", std::move(blocks),
         "file 0 96 1\nname Blocks\ntempo 0 600000\nmarker 48 block\nnote 60 0 48 0\n"
         "note 62 48 96 0\nnote 64 96 144 0\nnote 62 144 192 0\nnote 64 192 240 0\n"
         "note 65 264 282 0\n"},
        {"empty", test::unitTune({}, 999, ""), "file 0 96 1\nname \ntempo 0 60060\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ExportResult r = ExportMidi(*c.tune);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(dumpWithMido(r.bytes), c.dump);
    }
}

// Random tunes: every note at its units times 12 ticks, as mido counts them.
TEST(MidiCrossCheck, MidoFindsEveryNoteOfRandomTunes)
{
    SKIP_WITHOUT_MIDO();
    std::mt19937 rng(20261210);
    for (int round = 0; round < 5; ++round) {
        std::vector<test::UnitNote> notes;
        float at = 0.0f;
        for (int i = 0; i < 300; ++i) {
            at += static_cast<float>(rng() % 3) * 0.5f;
            const float length = static_cast<float>(1 + rng() % 16) / 2.0f;
            notes.push_back({at, at + length, static_cast<int>(rng() % 128)});
            at += length;
        }
        const int bpm = 20 + static_cast<int>(rng() % 900);
        const auto t = test::unitTune(notes, bpm, "R" + std::to_string(round));
        std::string expected = "file 0 96 1\nname R" + std::to_string(round) + "\ntempo 0 " +
                               std::to_string(std::lround(60e6 / bpm)) + "\n";
        for (const test::UnitNote& n : notes)
            expected += "note " + std::to_string(n.pitch) + " " +
                        std::to_string(std::lround(n.start * 12)) + " " +
                        std::to_string(std::lround(n.end * 12)) + " 0\n";
        const ExportResult r = ExportMidi(*t);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(dumpWithMido(r.bytes), expected);
    }
}

TEST(MidiCrossCheck, WeReadWhatMidoWrites)
{
    SKIP_WITHOUT_MIDO();
    test::TempDir dir;
    runPython("write_midi.py", dir.path().string());
    struct Case {
        const char* file;
        MidiLineChoice choice;
        const char* name;
        const char* units;
        const char* ms;
        std::vector<const char*> warnings;
    };
    const Case cases[] = {
        {"format0.mid",
         {},
         "Zero",
         "0-8:69 8-12:67 16-32:72 40-44:74",
         "0-500:69 500-750:67 1000-2000:72 2500-2750:74",
         {"The tempo changes during the file; the tune takes the first, 120 bpm",
          "the highest sounding note was kept and 2 notes were dropped."}},
        {"format1.mid",
         {},
         "Lead",
         "0-4:72 8-12:74 16-20:76 24-28:77 32-38.4:79 44.8-51.2:81",
         "0-250:72 500-750:74 1000-1250:76 1500-1750:77 2000-2400:79 2800-3200:81",
         {"The file holds 2 melody lines; track 2, channel 1 (\"Lead\", 6 notes) was read. The "
          "others: track 4, channel 2 (\"Bass\", 2 notes).",
          "The tempo changes"}},
        {"format1.mid",
         {4, 0},
         "Bass",
         "0-32:36 32-83.2:43",
         "0-2000:36 2000-5200:43",
         {"The tempo changes"}},
        {"format1.mid",
         {0, 10},
         "Song",
         "0-4:36 4-8:36 8-12:36 12-16:36 16-20:36 20-24:36 24-28:36 28-32:36 32-38.4:36 "
         "38.4-44.8:36 44.8-51.2:36 51.2-57.6:36 57.6-64:36 64-70.4:36 70.4-76.8:36 76.8-83.2:36",
         "0-250:36 250-500:36 500-750:36 750-1000:36 1000-1250:36 1250-1500:36 1500-1750:36 "
         "1750-2000:36 2000-2400:36 2400-2800:36 2800-3200:36 3200-3600:36 3600-4000:36 "
         "4000-4400:36 4400-4800:36 4800-5200:36",
         {"The tempo changes"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.choice.track) + "/" +
                     std::to_string(c.choice.channel));
        const std::string bytes = test::readFileOrDie(dir.file(c.file));
        Tune t;
        const FormatResult r = ImportMidi(bytes, t, c.choice);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(t.toneName, c.name);
        EXPECT_EQ(t.tempoBpm, 120);
        EXPECT_EQ(test::unitNotes(t), c.units);
        EXPECT_EQ(test::msNotes(t), c.ms);
        test::expectWarnings(r.warnings, c.warnings);
    }
}

} // namespace
} // namespace qte
