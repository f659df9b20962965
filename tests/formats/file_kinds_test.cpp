#include "formats/event_file.h"
#include "formats/file_kinds.h"
#include "formats/format_tunes.h"
#include "formats/imelody.h"
#include "formats/midi_file.h"
#include "formats/ota.h"
#include "formats/rtx.h"
#include "support/testsupport.h"
#include "tune/tune_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace qte {
namespace {

TEST(FileKinds, ExtensionsBothWays)
{
    const struct {
        const char* name;
        FileKind kind;
    } cases[] = {
        {"Ringdata.h", FileKind::Ringdata}, {"/a/b/tone.OTA", FileKind::Ota},
        {"x.Rtx", FileKind::Rtx},           {"x.evt", FileKind::Event},
        {"x.WAV", FileKind::Wave},          {"x.mid", FileKind::Midi},
        {"x.MIDI", FileKind::Midi},         {"ring.imy", FileKind::IMelody},
        {"x.mod", FileKind::None},          {"noextension", FileKind::None},
        {"dir.h/file", FileKind::None},     {"C:\\tunes.d\\bell", FileKind::None},
        {".h", FileKind::Ringdata},         {"x.h.bak", FileKind::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileKindOfName(c.name), c.kind) << c.name;
    for (FileKind k : {FileKind::Ringdata, FileKind::Ota, FileKind::Rtx, FileKind::Event,
                       FileKind::Wave, FileKind::Midi, FileKind::IMelody})
        EXPECT_EQ(fileKindOfName(std::string("t") + fileKindExtension(k)), k);
    EXPECT_STREQ(fileKindExtension(FileKind::None), "");
}

// Each exchange kind goes to its own writer and reader; the others are refused.
TEST(FileKinds, ExchangeKindsGoToTheirOwnFormat)
{
    const Tune tune =
        test::TuneBuilder().note(0, 375, 72).note(375, 750, 74).note(750, 1125, 76).build();
    const std::pair<FileKind, std::string> cases[] = {
        {FileKind::Ota, ExportOta(tune).bytes},         {FileKind::Rtx, ExportRtx(tune).bytes},
        {FileKind::Event, ExportEvt(tune).bytes},       {FileKind::Midi, ExportMidi(tune).bytes},
        {FileKind::IMelody, ExportIMelody(tune).bytes},
    };
    for (const auto& [k, bytes] : cases) {
        SCOPED_TRACE(fileKindExtension(k));
        EXPECT_TRUE(isExchangeKind(k));
        EXPECT_EQ(ExportExchange(k, tune).bytes, bytes);
        Tune back;
        NoteLengthState length;
        ASSERT_TRUE(ImportExchange(k, bytes, back, length, {}).ok());
        EXPECT_EQ(test::unitNotes(back), "0-8:72 8-16:74 16-24:76");
    }
    for (FileKind k : {FileKind::None, FileKind::Ringdata, FileKind::Wave}) {
        EXPECT_FALSE(isExchangeKind(k));
        EXPECT_FALSE(ExportExchange(k, tune).ok());
        Tune t;
        NoteLengthState length;
        EXPECT_FALSE(ImportExchange(k, "x", t, length, {}).ok());
    }
}

// The path overloads: a file is written only by an export that succeeds, a
// failure names the path, and a file that cannot be read leaves the tune.
TEST(ExchangeFiles, WrittenOnlyWhenTheExportSucceedsAndReadBack)
{
    using Export = std::function<ExportResult(const Tune&, const std::filesystem::path&)>;
    using Import = std::function<FormatResult(const std::filesystem::path&, Tune&)>;
    NoteLengthState length;
    const struct {
        const char* name;
        Export write;
        Import read;
        std::string bytes;
        Tune tooLong;
        const char* notes; // read into a tune at 100 bpm
    } cases[] = {
        {"tune.ota", ExportOtaFile,
         [&](const auto& p, Tune& t) { return ImportOtaFile(p, t, length, 0); },
         test::unhex("02 4A 3A 55 D1 95 CD D1 A4 04 00 09 21 5D A6 90"),
         *test::unitTune(test::quarters(300)), "0-8:69"},
        {"tune.rtx", ExportRtxFile,
         [&](const auto& p, Tune& t) { return ImportRtxFile(p, t, length, 0, false); },
         "testi:d=4,o=5,b=160:4a4,", *test::unitTune({{0, 1e12f, 69}}), "0-8:69"},
        // the tempo stays, so the units follow
        {"tune.evt", ExportEvtFile, ImportEvtFile, "69 0.375000\n", Tune{}, "0-5:69"},
        {"tune.mid", ExportMidiFile,
         [&](const auto& p, Tune& t) { return ImportMidiFile(p, t, length, 0, {}); },
         test::unhex("4D 54 68 64 00 00 00 06 00 00 00 01 00 60 4D 54 72 6B 00 00 00 1C 00 FF "
                     "03 05 74 65 73 74 69 00 FF 51 03 05 B8 D8 00 90 45 64 60 80 45 00 00 FF "
                     "2F 00 "),
         Tune{}, "0-8:69"},
        {"tune.imy", ExportIMelodyFile,
         [&](const auto& p, Tune& t) { return ImportIMelodyFile(p, t, length, 0); },
         "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nNAME:testi\r\nBEAT:160\r\n"
         "STYLE:S1\r\nVOLUME:V7\r\nMELODY:*3a2\r\nEND:IMELODY\r\n",
         Tune{}, "0-8:69"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const auto path = dir.file(c.name);
        test::writeFileOrDie(path, "old");
        Tune quarter = test::TuneBuilder().note(0, 375, 69).build();
        quarter.toneName = "testi";
        const ExportResult ok = c.write(quarter, path);
        ASSERT_TRUE(ok.ok()) << ok.error;
        EXPECT_EQ(test::readFileOrDie(path), c.bytes);
        if (c.tooLong.noteCount > 0) {
            EXPECT_FALSE(c.write(c.tooLong, path).ok());
            EXPECT_EQ(test::readFileOrDie(path), c.bytes);
        }
        const auto missing = dir.file("no such folder") / c.name;
        const ExportResult failed = c.write(quarter, missing);
        EXPECT_NE(failed.error.find("no such folder"), std::string::npos) << failed.error;
        EXPECT_FALSE(std::filesystem::exists(missing));

        auto t = test::sentinelTune();
        const std::string before = test::snapshot(*t);
        const FormatResult gone = c.read(dir.file("gone"), *t);
        EXPECT_NE(gone.error.find("Cannot open"), std::string::npos) << gone.error;
        EXPECT_NE(gone.error.find("gone"), std::string::npos);
        EXPECT_EQ(test::snapshot(*t), before);
        ASSERT_TRUE(c.read(path, *t).ok());
        EXPECT_EQ(test::unitNotes(*t), c.notes);
    }
}

TEST(ExchangeImports, NotesStopAtTheTableSize)
{
    std::string rtx = "Many:d=32,o=5,b=160:", evt;
    for (int i = 0; i < kMaxNotes + 201; ++i)
        rtx += "c,";
    for (int i = 0; i < kMaxNotes + 3; ++i)
        evt += "60 0.125\n";
    const std::tuple<FileKind, std::string, const char*> cases[] = {
        // the last kept note ends at trunc(999 units x 46.875 ms)
        {FileKind::Rtx, rtx,
         "Only the first 999 notes were loaded; 201 notes from 46828 ms on were dropped."},
        {FileKind::Event, evt,
         "Only the first 999 notes were loaded; 3 notes from 124875 ms on were dropped."},
    };
    for (const auto& [kind, text, warning] : cases) {
        SCOPED_TRACE(warning);
        auto t = std::make_unique<Tune>();
        NoteLengthState length;
        const FormatResult r = ImportExchange(kind, text, *t, length, {});
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(t->noteCount, kMaxNotes);
        ASSERT_EQ(r.warnings, std::vector<std::string>{warning});
        EXPECT_NE(r.warnings[0].find(std::to_string(t->noteTable[kMaxNotes].endMs) + " ms"),
                  std::string::npos);
    }
}

// Hostile and random texts: an import fails, or gives notes in order, within
// the table and of pitches the format has.
TEST(ExchangeImports, BadInputNeverCrashes)
{
    std::vector<std::string> rtx = {
        ":",
        "::::",
        ",,,:,,,",
        "N:d=4,o=5,b=160:" + std::string(100000, '9'),
        "N:d=4,o=5,b=160:" + std::string(100000, ','),
        std::string(100000, 'x') + ":",
        "N:d=4,o=5,b=160:4" + std::string(100000, '.') + "c",
        std::string("N:\0d=4,\0:4c\0,8\0d,", 18),
        "N:d=4,o=5,b=1:" + std::string(5000, 'c') + ",1c,1c,1c",
        "N:d=1,o=0,b=999999999:1c0,1c0",
        "N:d=4,o=5,b=160:p,p,p,p,p",
    };
    test::addRandomTexts(rtx, 4711, "R:", "cdefgahbp#.,:=0123456789 dob\n\x01\xff");
    std::vector<std::string> evt = {
        std::string(100000, '9'),           "60 " + std::string(100000, '9'),
        "60 0." + std::string(100000, '1'), std::string(100000, ' ') + "60 0.5",
        std::string(100000, '\0'),          "60 0.5 " + std::string(100000, 'x'),
        "60 1e-50\n60 0x10\n60 .5.5.5",
    };
    test::addRandomTexts(evt, 1207, "", "0123456789 .\n-+eEinfa\t");
    const std::tuple<FileKind, const std::vector<std::string>&, int> cases[] = {
        {FileKind::Rtx, rtx, 0}, {FileKind::Event, evt, kEvtLowestPitch}};
    for (const auto& [kind, inputs, lowest] : cases) {
        SCOPED_TRACE(fileKindExtension(kind));
        for (const std::string& in : inputs) {
            auto t = std::make_unique<Tune>();
            NoteLengthState length;
            if (!ImportExchange(kind, in, *t, length, {}).ok()) continue;
            ASSERT_LE(t->noteCount, kMaxNotes);
            ASSERT_GT(t->tempoBpm, 0);
            for (int k = 1; k <= t->noteCount; ++k) {
                const NoteRecord &n = t->noteTable[k], &last = t->noteTable[k - 1];
                ASSERT_GE(n.pitch, lowest);
                ASSERT_LE(n.pitch, 127);
                ASSERT_GE(n.durationMs, 0);
                ASSERT_GE(n.startUnits, last.endUnits);
                ASSERT_GE(n.startMs, last.endMs);
            }
        }
    }
}

} // namespace
} // namespace qte
