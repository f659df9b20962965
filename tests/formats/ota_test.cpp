#include "formats/bit_reader.h"
#include "formats/bit_writer.h"
#include "formats/format_tunes.h"
#include "formats/ota.h"
#include "tune/tempo.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace qte {
namespace {

using test::hex;
using test::UnitNote;

constexpr const char* kQuarterA = "02 4A 3A 55 D1 95 CD D1 A4 04 00 09 21 5D A6 90";
constexpr const char* kEmptyTune = "02 4A 3A 55 D1 95 CD D1 A4 04 00 05 21 5C";
// A quarter A whose note instruction fills the last byte: no end marker.
constexpr const char* kNoRoomForMarker = "02 4A 3A 55 D1 95 CD D1 A4 04 00 07 20 D3 48";

std::unique_ptr<Tune> makeTune(const std::vector<UnitNote>& notes, int bpm = 160,
                               std::string name = "testi")
{
    return test::unitTune(notes, bpm, std::move(name));
}

// One instruction as its fields: (bit count, value), the 3-bit id first.
using Fields = std::vector<std::pair<int, int>>;
const auto note = [](int v, int d, int s = 0) { return Fields{{3, 1}, {4, v}, {3, d}, {2, s}}; };
const auto scale = [](int s) { return Fields{{3, 2}, {2, s}}; };
const auto style = [](int s) { return Fields{{3, 3}, {2, s}}; };
const auto tempo = [](int i) { return Fields{{3, 4}, {5, i}}; };
const auto volume = [](int v) { return Fields{{3, 5}, {4, v}}; };

struct Header {
    int parts = 2, command = 0x25, sound = 0x1D, songType = 1;
    std::string title = "abc";
    int patternHeader = 0;
    int count = -1; // -1: the number of instructions given
};

// ExportOta ends a message with the padding alone.
constexpr int kNoMarker = -1;

// A hand-built message; the end marker is written whole, then byte-padded.
std::string otaFile(const Header& h, const std::vector<Fields>& instructions, int marker = 0)
{
    BitWriter w;
    const auto put = [&](int n, int v) { w.putBits(n, static_cast<std::uint8_t>(v)); };
    put(8, h.parts), put(7, h.command), put(1, 0), put(7, h.sound), put(3, h.songType);
    put(4, static_cast<int>(h.title.size()));
    for (char c : h.title)
        put(8, c);
    put(8, 1), put(3, h.patternHeader), put(2, 0), put(4, 0);
    put(8, h.count < 0 ? static_cast<int>(instructions.size()) : h.count);
    for (const Fields& f : instructions)
        for (auto [n, v] : f)
            put(n, v);
    if (marker != kNoMarker) put(8, marker);
    put(0, 0);
    return w.completedBytes();
}

TEST(OtaExport, ClassifyLength)
{
    // duration, then 1 dotted, 2 double dotted or 3 triplet, then C(ontinuous) or N(atural);
    // "-" for no code.
    const std::tuple<const char*, float, const char*> cases[] = {
        {"whole", 32.0f, "0 0 C"},
        {"dotted quarter", 12.0f, "2 1 C"},
        {"double-dotted quarter", 14.0f, "2 2 C"},
        {"triplet quarter", 8.0f * 0.67f, "2 3 C"},
        {"thirty-second", 1.0f, "5 0 C"},
        {"natural quarter", 7.573f, "2 0 N"},
        {"natural dotted eighth", 6.0f - 20.0f / 46.875f, "3 1 N"},
        {"five units", 5.0f, "-"},
        {"nothing", 0.0f, "-"},
        {"negative", -8.0f, "-"},
    };
    for (const auto& [name, units, want] : cases) {
        SCOPED_TRACE(name);
        const auto c = ClassifyLength(units, 46.875f);
        const char* styles[] = {"N", "C", "S"};
        EXPECT_EQ(c ? std::to_string(c->duration) + " " + std::to_string(c->specifier) + " " +
                          styles[static_cast<int>(c->style) % 3]
                    : "-",
                  want);
    }
}

TEST(OtaExport, NearestTempoIndexPrefersTheLowerOnATie)
{
    const std::pair<int, int> cases[] = {{150, 15},  {170, 16},      {160, 16},      {0, 0},
                                         {-40, 0},   {25, 0},        {27, 1},        {850, 30},
                                         {5000, 31}, {INT32_MIN, 0}, {INT32_MAX, 31}};
    for (auto [bpm, index] : cases)
        EXPECT_EQ(NearestTempoIndex(bpm), index) << bpm;
}

// The instructions and the title, the tone name cut to fifteen bytes.
TEST(OtaExport, InstructionStreamAndTitle)
{
    struct Case {
        std::vector<UnitNote> notes;
        std::vector<Fields> after; // instructions after tempo and volume
        std::vector<std::string> warnings;
        std::string name = "testi", title = "testi";
    };
    const float natural = 8.0f - 20.0f / 46.875f;
    const Case cases[] = {
        // gap of 12 units is a quarter and an eighth pause
        {{{12.0f, 20.0f, 69}}, {note(0, 2), note(0, 3), style(1), note(10, 2)}, {}},
        // natural notes need no pause for their missing 20 ms
        {{{0.0f, natural, 60}, {8.0f, 8.0f + natural, 61}, {16.0f, 24.0f, 62}},
         {style(0), note(1, 2), note(2, 2), style(1), note(3, 2)},
         {}},
        // octaves: 72 is C of scale 1, 107 is H of scale 3
        {{{0.0f, 4.0f, 72}, {4.0f, 8.0f, 107}, {8.0f, 12.0f, 71}},
         {style(1), scale(1), note(1, 3), scale(3), note(12, 3), scale(0), note(12, 3)},
         {}},
        // pitches outside 60..107 keep their time as a pause
        {{{0.0f, 8.0f, 69}, {8.0f, 16.0f, 59}, {16.0f, 24.0f, 108}, {24.0f, 32.0f, 69}},
         {style(1), note(10, 2), note(0, 1), note(10, 2)},
         {"2 notes lie outside the pitches an OTA file can hold (60 to 107); their time was "
          "saved as a pause."}},
        // one pitch outside
        {{{0.0f, 8.0f, 30}, {8.0f, 16.0f, 69}},
         {note(0, 2), style(1), note(10, 2)},
         {"1 note lies outside the pitches an OTA file can hold (60 to 107); its time was saved "
          "as a pause."}},
        // a length without code is named and its time kept
        {{{0.0f, 8.0f, 69}, {8.0f, 13.0f, 70}, {16.0f, 24.0f, 69}},
         {style(1), note(10, 2), note(0, 2), note(10, 2)},
         {"Note 2 is 5 units long, a length an OTA file cannot hold; it was left out."}},
        // no scale or style change after a left-out note
        {{{0.0f, 8.0f, 80}, {8.0f, 10.5f, 90}, {16.0f, 24.0f, 81}},
         {style(1), scale(1), note(9, 2), note(0, 2), note(10, 2)},
         {"Note 2 is 2.5 units long, a length an OTA file cannot hold; it was left out."}},
        {{{0, 8, 69}}, {style(1), note(10, 2)}, {}, "", ""},
        {{{0, 8, 69}}, {style(1), note(10, 2)}, {}, "A rather long tone name", "A rather long t"},
        // not in the middle of a character
        {{{0, 8, 69}}, {style(1), note(10, 2)}, {}, "Fourteen chars\xC3\xA9", "Fourteen chars"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        const ExportResult r = ExportOta(*makeTune(c.notes, 160, c.name));
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.warnings, c.warnings);
        std::vector<Fields> expected = {tempo(16), volume(7)};
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(hex(r.bytes), hex(otaFile({.title = c.title}, expected, kNoMarker)));
    }
}

TEST(OtaExport, RefusesMoreInstructionsThanTheCountHolds)
{
    // Tempo, volume and one style instruction leave room for 252 notes.
    const ExportResult full = ExportOta(*makeTune(test::quarters(252)));
    ASSERT_TRUE(full.ok()) << full.error;
    std::vector<Fields> eighths = {tempo(16), volume(7), style(1)};
    eighths.resize(255, note(10, 3));
    EXPECT_EQ(hex(full.bytes), hex(otaFile({.title = "testi"}, eighths, kNoMarker)));

    std::vector<UnitNote> farPause = test::quarters(1);
    farPause.push_back({1.0e6f, 1.0e6f + 4.0f, 69}); // too long a pause to count
    for (const auto& notes : {test::quarters(253), farPause}) {
        const ExportResult r = ExportOta(*makeTune(notes));
        EXPECT_TRUE(r.bytes.empty());
        EXPECT_NE(r.error.find("more than the 255 instructions"), std::string::npos) << r.error;
    }
}

// A message whose last instruction fills its last byte has no room left
// for the end marker; the missing bits read as zero. Cut inside that
// instruction, it is still too short.
TEST(OtaWorkedExamples, BothWaysByteForByte)
{
    const std::tuple<std::vector<UnitNote>, const char*, const char*, bool> cases[] = {
        {{{0.0f, 8.0f, 69}}, kQuarterA, "0-375:69", true},
        {{}, kEmptyTune, "", true},
        {{{0.0f, 8.0f, 69}}, kNoRoomForMarker, "0-375:69", false}, // read only
    };
    for (const auto& [notes, bytes, ms, written] : cases) {
        SCOPED_TRACE(bytes);
        const auto tune = makeTune(notes);
        const ExportResult out = ExportOta(*tune);
        ASSERT_TRUE(out.ok()) << out.error;
        EXPECT_TRUE(out.warnings.empty());
        if (written) {
            EXPECT_EQ(hex(out.bytes), bytes);
        }

        auto t = test::sentinelTune();
        const FormatResult in = ImportOta(test::unhex(bytes), *t);
        ASSERT_TRUE(in.ok()) << in.error;
        EXPECT_TRUE(in.warnings.empty());
        EXPECT_EQ(t->tempoBpm, 160);
        EXPECT_EQ(test::unitNotes(*t), test::unitNotes(*tune));
        EXPECT_EQ(test::msNotes(*t), ms);
    }
    auto cut = test::sentinelTune();
    const std::string before = test::snapshot(*cut);
    EXPECT_EQ(ImportOta(test::unhex(kNoRoomForMarker).substr(0, 14), *cut).error,
              "The file ends too early, after 14 bytes, in instruction 3 of 3.");
    EXPECT_EQ(test::snapshot(*cut), before);
}

TEST(OtaImport, HeaderFailuresLeaveTheTuneAlone)
{
    auto with = [](auto change) {
        Header h;
        change(h);
        return h;
    };
    const std::pair<Header, const char*> cases[] = {
        {with([](Header& h) { h.parts = 0; }),
         "The file has no command parts; it is not a ringing tone file."},
        {with([](Header& h) { h.command = 0x24; }), "Not a ringing tone file"},
        {with([](Header& h) { h.sound = 0x1C; }), "Sound not found"},
        {with([](Header& h) { h.songType = 2; }), "Only basic songs are supported"},
        {with([](Header& h) { h.patternHeader = 1; }), "Song should start with pattern header id"},
        {with([](Header& h) { h.count = 0; }), "Empty pattern found, doesn't make any sense!"},
        {with([](Header& h) { h.count = 9; }),
         "The file ends too early, after 14 bytes, in instruction 7 of 9."},
    };
    for (const auto& [header, message] : cases) {
        SCOPED_TRACE(message);
        auto t = test::sentinelTune();
        const std::string before = test::snapshot(*t);
        NoteLengthState length;
        length.newNoteUnits = 3.0f;
        const FormatResult r = ImportOta(otaFile(header, {tempo(16), note(10, 2)}), *t, length, 1);
        EXPECT_EQ(r.error, message);
        EXPECT_EQ(test::snapshot(*t), before);
        EXPECT_FLOAT_EQ(length.newNoteUnits, 3.0f);
    }
}

TEST(OtaImport, InstructionsGiveNotesAndWarnings)
{
    struct Case {
        Header header;
        std::vector<Fields> instructions;
        int marker;
        std::vector<std::string> warnings;
        const char* notes;
    };
    const std::string tempoChanged =
        "Tempo changed during the tune. Only tunes with fixed tempo will be loaded correctly.";
    const std::string secondPattern = "File contains more than one pattern, only first was loaded.";
    const Case cases[] = {
        // tempo before the first note: at 35 bpm a natural quarter is 20 / 214.3 units short
        {{}, {tempo(3), note(1, 2), note(2, 2)}, 0, {}, "0-7.9067:60 8-15.907:61"},
        // tempo after a note, once per instruction
        {{},
         {tempo(16), note(1, 2), tempo(10), note(2, 2), tempo(20)},
         0,
         {tempoChanged, tempoChanged},
         "0-7.5733:60 8-15.787:61"},
        // a second pattern
        {{}, {style(1), note(1, 2)}, 0x40, {secondPattern}, "0-8:60"},
        // instructions beyond the count are not read, so they are the next pattern
        {{.count = 2}, {style(1), note(1, 2), note(1, 2)}, 0, {secondPattern}, "0-8:60"},
        // undefined style
        {{},
         {style(3), note(1, 2), note(2, 2)},
         0,
         {"The file uses style 3, which OTA does not define; its notes were loaded at their full "
          "length."},
         "0-8:60 8-16:61"},
        // pitch follows value and scale
        {{},
         {style(1), note(1, 3), scale(1), note(1, 3), scale(3), note(12, 3), note(15, 3)},
         0,
         {},
         "0-4:60 4-8:72 8-12:107 12-16:110"},
        // staccato sounds at most 50 ms (1.0667 units at 160 bpm)
        {{}, {tempo(16), style(2), note(10, 2), note(10, 2)}, 0, {}, "0-1.0667:69 8-9.0667:69"},
        // a staccato thirty-second is a third
        {{}, {tempo(16), style(2), note(10, 5), note(10, 2)}, 0, {}, "0-0.33:69 1-2.0667:69"},
        // natural at least 20 ms: W = 266 ms at 900 bpm, 8.3 ms less 20 is raised to 20 ms
        {{}, {tempo(31), note(10, 5), note(10, 5)}, 0, {}, "0-2.406:69 1-3.406:69"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        auto t = test::sentinelTune();
        const FormatResult r = ImportOta(otaFile(c.header, c.instructions, c.marker), *t);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(r.warnings, c.warnings);
        EXPECT_EQ(test::unitNotes(*t), c.notes);
    }
}

TEST(OtaImport, TempoGoesThroughSetTempo)
{
    auto t = test::sentinelTune();
    t->textCount = 1;
    t->textList[1].timeUnits = 8.0f;
    NoteLengthState length;
    length.noteLengthIndex = 4;
    // The file says 80 bpm (index 10), then 200 after the first note.
    const FormatResult r =
        ImportOta(otaFile({}, {tempo(10), style(1), note(10, 2), tempo(18), note(10, 2)}), *t,
                  length, static_cast<std::int32_t>(StyleMode::Natural));
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(t->tempoBpm, 80);
    EXPECT_FLOAT_EQ(t->msPerUnit, 93.75f);
    EXPECT_EQ(t->textList[1].timeMs, 750);
    // Natural quarter at 80 bpm for the next drawn note.
    EXPECT_FLOAT_EQ(length.newNoteUnits, (750.0f - 20.0f) / 93.75f);
    ASSERT_EQ(t->noteCount, 2);
    EXPECT_EQ(t->noteTable[1].endMs, 750);
    // At 200 bpm the second quarter is 1/4 of a whole note at W = 1200 ms;
    // in the tune's units it is still 8 units long.
    EXPECT_FLOAT_EQ(t->noteTable[2].durationUnits, 8.0f);
}

TEST(OtaImport, EveryCutIntoTheInstructionsIsAnErrorAndNeverReadsOutside)
{
    std::mt19937 rng(7);
    std::vector<UnitNote> notes;
    float at = 3.0f;
    for (int i = 0; i < 20; ++i) {
        const float len = static_cast<float>(1 << (rng() % 6));
        notes.push_back({at, at + len, 60 + static_cast<int>(rng() % 48)});
        at += len + static_cast<float>(rng() % 3);
    }
    const ExportResult exported = ExportOta(*makeTune(notes, 63));
    ASSERT_TRUE(exported.ok()) << exported.error;
    for (const std::string& file : {test::unhex(kQuarterA), test::unhex(kEmptyTune), exported.bytes,
                                    test::unhex(kNoRoomForMarker)}) {
        SCOPED_TRACE(hex(file));
        auto whole = test::sentinelTune();
        ASSERT_TRUE(ImportOta(file, *whole).ok());
        for (std::size_t size = 0; size < file.size(); ++size) {
            SCOPED_TRACE(size);
            // A copy of exactly that size, so the sanitizers see any overrun.
            const auto cut = std::make_unique<char[]>(size + 1);
            std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size), cut.get());
            auto t = test::sentinelTune();
            const std::string before = test::snapshot(*t);
            const FormatResult r = ImportOta(std::string_view(cut.get(), size), *t);
            // A last byte of nothing but end marker may go; the tune is the same.
            if (r.ok() && size + 1 == file.size() && file.back() == 0) {
                EXPECT_EQ(test::snapshot(*t), test::snapshot(*whole));
                continue;
            }
            EXPECT_NE(r.error.find("The file ends too early, after " + std::to_string(size)),
                      std::string::npos)
                << r.error;
            EXPECT_EQ(test::snapshot(*t), before);
        }
    }
}

// Random instruction bytes behind a valid header: a result every time, and
// a failed import changes nothing and says why.
TEST(OtaImport, RandomBodiesGiveAResult)
{
    std::mt19937 rng(99);
    const std::string header = test::unhex(kQuarterA).substr(0, 11);
    const std::string before = test::snapshot(*test::sentinelTune());
    int loaded = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string file = header;
        for (std::size_t i = 0, extra = rng() % 48; i < extra; ++i)
            file.push_back(static_cast<char>(rng()));
        const auto copy = std::make_unique<char[]>(file.size());
        std::copy(file.begin(), file.end(), copy.get());
        auto t = test::sentinelTune();
        const FormatResult r = ImportOta(std::string_view(copy.get(), file.size()), *t);
        if (r.ok()) {
            ++loaded;
            EXPECT_LE(t->noteCount, 255);
        } else {
            ++refused;
            // Only the count can be wrong behind this header, or the file short.
            const std::string shortFile =
                "The file ends too early, after " + std::to_string(file.size()) + " bytes, in ";
            EXPECT_TRUE(r.error == "Empty pattern found, doesn't make any sense!" ||
                        r.error.starts_with(shortFile))
                << r.error;
            EXPECT_EQ(test::snapshot(*t), before);
        }
    }
    // Both outcomes were seen, so neither branch above is idle.
    EXPECT_GT(loaded, 100);
    EXPECT_GT(refused, 100);
}

// Tunes of OTA lengths and pitches come back with the same notes.
TEST(OtaRoundTrip, GeneratedTunesSurvive)
{
    std::mt19937 rng(20261207);
    const float factors[] = {1.0f, 1.5f, 1.75f, 0.67f};
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        const int bpm = kOtaTempoTable[rng() % kOtaTempoTable.size()];
        const float mpu = 7500.0f / static_cast<float>(bpm);
        std::vector<UnitNote> notes;
        float at = static_cast<float>(rng() % 4);
        const int count = 1 + static_cast<int>(rng() % 40);
        while (static_cast<int>(notes.size()) < count) {
            const int d = static_cast<int>(rng() % 6);
            const float slot = factors[rng() % 4] * 32.0f / static_cast<float>(1 << d);
            const bool natural = rng() % 2 == 0 && slot * mpu > 45.0f;
            const float len = natural ? slot - 20.0f / mpu : slot;
            const auto code = ClassifyLength(len, mpu);
            if (!code || (code->style == OtaStyle::Natural) != natural) continue;
            notes.push_back({at, at + len, 60 + static_cast<int>(rng() % 48)});
            at += slot + static_cast<float>(rng() % 5);
        }
        const auto original = makeTune(notes, bpm);
        const ExportResult exported = ExportOta(*original);
        ASSERT_TRUE(exported.ok()) << exported.error;
        ASSERT_TRUE(exported.warnings.empty());

        Tune back;
        back.tempoBpm = 125;
        back.msPerUnit = 60.0f;
        const FormatResult r = ImportOta(exported.bytes, back);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_TRUE(r.warnings.empty());
        EXPECT_EQ(back.tempoBpm, bpm);
        ASSERT_EQ(back.noteCount, original->noteCount);
        for (int i = 1; i <= back.noteCount; ++i) {
            const NoteRecord &a = original->noteTable[i], &b = back.noteTable[i];
            EXPECT_EQ(b.pitch, a.pitch) << i;
            EXPECT_NEAR(b.startUnits, a.startUnits, 0.02) << i;
            EXPECT_NEAR(b.endUnits, a.endUnits, 0.02) << i;
            // milliseconds at the file's tempo
            const float mpu = back.msPerUnit;
            EXPECT_EQ(std::tuple(b.startMs, b.endMs, b.durationMs),
                      std::tuple(unitsToMs(b.startUnits, mpu), unitsToMs(b.endUnits, mpu),
                                 unitsToMs(b.durationUnits, mpu)))
                << i;
        }
        // And the bytes are stable from there on.
        back.toneName = "testi";
        EXPECT_EQ(ExportOta(back).bytes, exported.bytes);
    }
}

TEST(OtaBits, WriterAndReaderAgree)
{
    BitWriter w;
    const std::pair<int, int> fields[] = {{8, 2},  {7, 0x25}, {1, 0}, {3, 5},
                                          {5, 17}, {8, 0xA5}, {2, 3}, {4, 9}};
    for (auto [n, v] : fields)
        w.putBits(n, static_cast<std::uint8_t>(v));
    EXPECT_EQ(w.bitCount(), 38u);
    EXPECT_EQ(w.completedBytes().size(), 4u);
    w.patchBits(16, 3, 2);
    w.putBits(0, 0);
    EXPECT_EQ(w.bitCount(), 40u);
    const std::string bytes = w.completedBytes();
    BitReader r(bytes);
    for (auto [n, v] : fields)
        EXPECT_EQ(r.getBits(n), n == 3 ? 2 : v) << n;
    EXPECT_EQ(r.bitsLeft(), 2u);
    EXPECT_EQ(r.getBits(3), std::nullopt);
    EXPECT_EQ(r.bitPosition(), 38u);
    EXPECT_EQ(r.getBits(2), 0);
    for (int n : {1, 0, 9})
        EXPECT_EQ(r.getBits(n), std::nullopt) << n;
}

} // namespace
} // namespace qte
