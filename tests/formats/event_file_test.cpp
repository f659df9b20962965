#include "formats/event_file.h"
#include "formats/format_tunes.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace qte {
namespace {

using test::joined;
using test::msNotes;

struct MsNote {
    int start, end, pitch;
    int duration = -1; // -1: end - start
    NoteKind kind = NoteKind::Normal;
};

std::unique_ptr<Tune> makeTune(const std::vector<MsNote>& notes)
{
    auto t = std::make_unique<Tune>();
    for (const MsNote& n : notes) {
        NoteRecord& r = t->noteTable[++t->noteCount];
        r.startMs = n.start;
        SetEnd(r, n.end);
        if (n.duration >= 0) r.durationMs = n.duration;
        r.pitch = n.pitch;
        r.kind = static_cast<std::int32_t>(n.kind);
    }
    return t;
}

TEST(EvtExport, WorkedExamplesByteForByteAndWarnings)
{
    const struct {
        std::vector<MsNote> notes;
        const char* bytes;
        std::vector<const char*> warnings; // a part of each
    } cases[] = {
        {{{0, 375, 69}, {500, 625, 72}}, "69 0.375000\n0 0.125000\n72 0.125000\n", {}},
        {{}, "", {}},
        {{{1000, 1500, 60}}, "0 1.000000\n60 0.500000\n", {}},
        {{{0, 46, 84}, {46, 93, 86}}, "84 0.046000\n86 0.047000\n", {}},
        {{{0, 3600000, 1}}, "1 3600.000171\n", {}},
        // After a tempo change durationMs may differ from end - start by 1 ms;
        // writing the span keeps every later start in place.
        {{{0, 125, 72, 126}, {125, 250, 74, 124}, {375, 500, 76}},
         "72 0.125000\n74 0.125000\n0 0.125000\n76 0.125000\n",
         {}},
        {{{0, 100, 0}, {50, 150, 72, -1, NoteKind::FreqDefine}, {200, 180, 130}},
         "0 0.100000\n72 0.100000\n0 0.050000\n130 0.000000\n",
         {"2 notes have pitches outside 1 to 127", "1 custom or FREQ_DEFINE note",
          "1 note overlaps", "1 note ends before it starts"}},
    };
    for (const auto& [notes, bytes, warnings] : cases) {
        SCOPED_TRACE(bytes);
        const ExportResult r = ExportEvt(*makeTune(notes));
        EXPECT_TRUE(r.ok());
        EXPECT_EQ(r.bytes, bytes);
        test::expectWarnings(r.warnings, warnings);
    }
}

// Events one after another, and reading that goes on past a problem or
// stops at it, with one warning.
TEST(EvtImport, ReadsEventsAndReportsProblemsOnce)
{
    const std::tuple<std::string, const char*, const char*> cases[] = {
        {"69 0.7", "0-699:69", nullptr}, // single precision truncates
        {"  69\t0.25\r\n\r\n72\n0.5 0 .25 +74 +1e-1", "0-250:69 250-750:72 1000-1100:74", nullptr},
        {"69 0\n70 0.5", "0-0:69 0-500:70", nullptr},
        {"", "", nullptr},
        {" \n\n\t", "", nullptr},
        {"69 0.5\n72 abc\n74 0.5", "0-500:69",
         "Reading stopped at line 2: \"72 abc\", which is not a pitch code and a length."},
        {"69 0.5\n72", "0-500:69", "Reading stopped at line 2"},
        {std::string("69 0.5\n\0\0 1", 11), "0-500:69", "Reading stopped at line 2: \"?? 1\""},
        {"200 0.5\n-3 0.25\n99999999999999999999999 0.25\n60 0.5", "1000-1500:60",
         "3 events have a pitch code outside 1 to 127 (the first at line 1: \"200 0.5\"); their "
         "time was kept as pause."},
        {"60 -0.5\n60 nan\n60 inf\n60 1e30\n60 3000000\n61 0.5", "0-500:61",
         "5 events have a length that cannot be used (the first at line 1"},
        {"60 2000000\n61 2000000\n62 1", "0-2000000000:60",
         "Reading stopped at line 2: \"61 2000000\" would make the tune longer than 2147483647 "
         "ms."},
    };
    for (const auto& [text, notes, warning] : cases) {
        SCOPED_TRACE(text);
        auto t = std::make_unique<Tune>();
        const FormatResult r = ImportEvt(text, *t);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(msNotes(*t), notes);
        test::expectWarnings(r.warnings, {warning});
    }
}

TEST(EvtImport, UnitsFollowTheCurrentTempo)
{
    auto t = std::make_unique<Tune>();
    t->tempoBpm = 120;
    t->msPerUnit = 62.5f;
    t->noteTable[1].pitch = 99;
    t->noteCount = 1; // replaced, not appended to
    ASSERT_TRUE(ImportEvt("0 1.0\n60 0.5\n", *t).ok());
    EXPECT_EQ(t->tempoBpm, 120);
    EXPECT_EQ(test::unitNotes(*t), "16-24:60");
    EXPECT_FLOAT_EQ(t->noteTable[1].durationUnits, 8.0f);
}

TEST(EvtImport, NoEventAtAllIsAnErrorAndLeavesTheTuneAlone)
{
    const std::string cases[] = {"hello", "x 69 0.5", std::string("\0", 1), "69", "69 x"};
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        auto t = makeTune({{0, 100, 50}, {100, 200, 51}});
        const FormatResult r = ImportEvt(text, *t);
        EXPECT_NE(r.error.find("Not a valid event file: line 1"), std::string::npos) << r.error;
        EXPECT_EQ(msNotes(*t), "0-100:50 100-200:51");
    }
}

TEST(EvtRoundTrip, GeneratedTunesSurvive)
{
    // Eighths of a second are exact in binary, so they survive the
    // single-precision seconds; other lengths may lose a millisecond.
    std::mt19937 rng(31337);
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        std::vector<MsNote> notes;
        int at = 0;
        for (int i = 0, count = static_cast<int>(rng() % 200); i < count; ++i) {
            at += 125 * static_cast<int>(rng() % 2 ? 0 : rng() % 20);
            const int end = at + 125 * static_cast<int>(1 + rng() % 16);
            notes.push_back({at, end, 1 + static_cast<int>(rng() % 127)});
            at = end;
        }
        const auto original = makeTune(notes);
        const ExportResult out = ExportEvt(*original);
        ASSERT_TRUE(out.ok());
        ASSERT_TRUE(out.warnings.empty()) << joined(out.warnings);
        auto back = std::make_unique<Tune>();
        const FormatResult in = ImportEvt(out.bytes, *back);
        ASSERT_TRUE(in.ok()) << in.error;
        EXPECT_TRUE(in.warnings.empty()) << joined(in.warnings);
        EXPECT_EQ(msNotes(*back), msNotes(*original));
        EXPECT_EQ(ExportEvt(*back).bytes, out.bytes);
    }
}

} // namespace
} // namespace qte
