#include "formats/format_tunes.h"
#include "formats/midi_bytes.h"
#include "formats/midi_file.h"
#include "formats/rtx.h"
#include "tune/tempo.h"
#include "tune/tune.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace qte {
namespace {

using test::midiBytes;
using test::midiChunk;
using test::midiFile;
using test::midiHeader;
using test::MidiTrackBytes;
using test::unitNotes;
using test::unitTune;

std::string hex(const std::string& bytes)
{
    std::string out;
    char buf[4];
    for (const char c : bytes) {
        std::snprintf(buf, sizeof buf, "%s%02X", out.empty() ? "" : " ",
                      static_cast<unsigned char>(c));
        out += buf;
    }
    return out;
}

TEST(MidiExport, WorkedExample)
{
    // A quarter A from unit 0, a quarter pause, an eighth C sharp at 160 bpm.
    const auto tune = unitTune({{0, 8, 69}, {16, 20, 73}});
    const ExportResult r = ExportMidi(*tune);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(hex(r.bytes), "4D 54 68 64 00 00 00 06 00 00 00 01 00 60 " // format 0, 96 ticks
                            "4D 54 72 6B 00 00 00 24 "                   // one track of 36 bytes
                            "00 FF 03 05 52 69 6E 67 31 "                // "Ring1"
                            "00 FF 51 03 05 B8 D8 "                      // 375000 us, 160 bpm
                            "00 90 45 64 60 80 45 00 "                   // A from 0 to 96
                            "60 90 49 64 30 80 49 00 "                   // C# from 192 to 240
                            "00 FF 2F 00");
}

// Repeat blocks are played out, free texts become markers, and what has no
// MIDI meaning is reported once.
TEST(MidiExport, RepeatsTextsAndWarnings)
{
    auto t = unitTune({{0, 4, 60}, {4, 8, 62}, {8, 12, 64}, {16, 20, 200}}, 120, "Blocks");
    RepeatRecord& block = t->repeatList[++t->repeatCount];
    block.startUnits = 4;
    block.endUnits = 12;
    block.startMs = 250;
    block.endMs = 750;
    block.repetitions = 3;
    for (int i = 1; i <= 2; ++i) {
        VibraRecord& v = t->vibraList[++t->vibraCount];
        v.startUnits = static_cast<float>(i);
        v.endUnits = static_cast<float>(i) + 0.5f;
    }
    TextRecord& text = t->textList[++t->textCount];
    text.timeUnits = 14;
    text.setText("after");
    t->noteTable[2].kind = static_cast<std::int32_t>(NoteKind::Special);
    for (int i = 1; i <= t->noteCount; ++i) {
        NoteRecord& n = t->noteTable[i];
        n.startMs = unitsToMs(n.startUnits, t->msPerUnit);
        n.endMs = unitsToMs(n.endUnits, t->msPerUnit);
    }
    const ExportResult r = ExportMidi(*t);
    ASSERT_TRUE(r.ok()) << r.error;
    test::expectWarnings(r.warnings, {"2 vibra segments have no meaning", "1 note lies outside",
                                      "1 custom or FREQ_DEFINE note"});
    // The block of 8 units is played three times, so what follows it moves
    // on by 16 units: the text at 14 stands at 30 (360 ticks).
    // The last note-off is at 28 units (336 ticks), so the marker follows
    // 24 ticks later.
    EXPECT_NE(r.bytes.find(midiBytes({0x18, 0xFF, 0x06, 5}) + "after"), std::string::npos)
        << hex(r.bytes);
    Tune back;
    ASSERT_TRUE(ImportMidi(r.bytes, back).ok());
    EXPECT_EQ(unitNotes(back), "0-4:60 4-8:62 8-12:64 12-16:62 16-20:64 20-24:62 24-28:64");
    EXPECT_EQ(back.toneName, "Blocks");
    EXPECT_EQ(back.tempoBpm, 120);
}

TEST(MidiExport, TooManyPlayedNotesIsRefused)
{
    auto t = unitTune(test::quarters(kMaxNotes), 160);
    for (int i = 1; i <= t->noteCount; ++i) {
        NoteRecord& n = t->noteTable[i];
        n.startMs = unitsToMs(n.startUnits, t->msPerUnit);
        n.endMs = unitsToMs(n.endUnits, t->msPerUnit);
    }
    RepeatRecord& block = t->repeatList[++t->repeatCount];
    block.startUnits = 0;
    block.endUnits = t->noteTable[kMaxNotes].endUnits;
    block.endMs = t->noteTable[kMaxNotes].endMs;
    block.repetitions = 1002; // 999 notes x 1002 plays: just over a million
    const ExportResult r = ExportMidi(*t);
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.bytes.empty());
    block.repetitions = 1001;
    EXPECT_TRUE(ExportMidi(*t).ok());
}

// Times that fall on the unit grid at the tune's tempo stay in units; the
// others keep their milliseconds, as times from text do.
TEST(MidiImport, TimesOnTheGridInUnitsOthersInMs)
{
    struct Case {
        const char* name;
        std::uint32_t micros; // the one tempo
        int division;
        std::uint32_t on, off; // ticks
        const char* units;
        const char* ms;
    };
    const Case cases[] = {
        {"quarter at 120", 500000, 480, 0, 480, "0-8:69", "0-500:69"},
        {"eighth off the start", 500000, 96, 48, 96, "4-8:69", "250-500:69"},
        {"off the grid: 100 of 480 ticks", 500000, 480, 100, 480, "1.664-8:69", "104-500:69"},
        // In units each ms field is truncated on its own.
        {"160 bpm from 375000 us", 375000, 96, 12, 36, "1-3:69", "46-140:69 duration 93"},
        // 95 bpm does not divide 60 million: 631579 us is on the grid to
        // within a thousandth of a unit.
        {"95 bpm", 631579, 480, 480, 960, "8-16:69", "631-1263:69 duration 631"},
        {"a sixty-fourth note is off the grid", 500000, 96, 6, 12, "0.496-1:69", "31-62:69"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MidiTrackBytes track;
        track.tempo(0, c.micros).on(c.on, 69).off(c.off - c.on, 69);
        Tune t;
        const FormatResult r = ImportMidi(midiFile(0, c.division, {track}), t);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_TRUE(r.warnings.empty()) << test::joined(r.warnings);
        EXPECT_EQ(unitNotes(t), c.units);
        EXPECT_EQ(test::msNotes(t), c.ms);
    }
}

TEST(MidiImport, TempoChangesMoveTheNotesNotTheTune)
{
    // 120 bpm for the first whole note, then 60 bpm: a quarter there lasts
    // 1000 ms, 16 units at 120; then 100 bpm, where a quarter is 600 ms and
    // leaves the grid.
    MidiTrackBytes conductor;
    conductor.tempo(0, 500000).tempo(1920, 1000000).tempo(480, 600000);
    MidiTrackBytes melody;
    melody.on(0, 69).off(480, 69).on(1440, 72).off(480, 72).on(0, 74).off(480, 74).on(0, 76).off(
        240, 76);
    Tune t;
    NoteLengthState length;
    const FormatResult r = ImportMidi(midiFile(1, 480, {conductor, melody}), t, length,
                                      static_cast<std::int32_t>(StyleMode::Natural), {});
    ASSERT_TRUE(r.ok()) << r.error;
    test::expectWarnings(r.warnings, {"The tempo changes during the file; the tune takes the "
                                      "first, 120 bpm"});
    EXPECT_EQ(t.tempoBpm, 120);
    EXPECT_EQ(test::msNotes(t), "0-500:69 2000-3000:72 3000-3600:74 3600-3900:76");
    EXPECT_EQ(unitNotes(t), "0-8:69 32-48:72 48-57.6:74 57.6-62.4:76");
    // setTempo ran with the style given.
    NoteLengthState expected;
    setNoteLength(expected, expected.noteLengthIndex, expected.noteLengthModifier,
                  static_cast<std::int32_t>(StyleMode::Natural), t.msPerUnit);
    EXPECT_EQ(length.newNoteUnits, expected.newNoteUnits);
}

TEST(MidiImport, RunningStatusVelocityZeroAndSkippedEvents)
{
    MidiTrackBytes track;
    track.name("Lead")
        .event(0, midiBytes({0xF0, 3, 0x7E, 0x09, 0xF7}))  // system exclusive
        .event(0, midiBytes({0x90, 60, 90}))               // note-on
        .event(96, midiBytes({60, 0}))                     // running status, velocity 0
        .event(0, midiBytes({62, 90}))                     // running status note-on
        .event(0, midiBytes({0xFF, 0x01, 2, 'h', 'i'}))    // a text event
        .event(48, midiBytes({62, 0}))                     // still running status
        .event(0, midiBytes({0xC0, 5}))                    // program change, one data byte
        .event(0, midiBytes({0xE0, 0, 64}))                // pitch bend
        .event(0, midiBytes({0xF7, 2, 1, 2}))              // escape sequence
        .event(0, midiBytes({0x80, 1, 0}))                 // a note-off of nothing
        .event(0, midiBytes({0x90, 64, 90, 48, 64, 0}))    // two events, one status
        .event(0, midiBytes({0xFF, 0x7F, 3, 0, 0, 0x41})); // sequencer-specific
    Tune t;
    const FormatResult r = ImportMidi(midiFile(0, 96, {track}), t);
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.warnings.empty()) << test::joined(r.warnings);
    EXPECT_EQ(unitNotes(t), "0-8:60 8-12:62 12-16:64");
    EXPECT_EQ(t.toneName, "Lead");
    EXPECT_EQ(t.toneId, "LEAD");
}

// One line of a chord: the highest sounding note wins; a lower note still
// sounding when the higher one ends is heard from there on.
TEST(MidiImport, ChordsBecomeOneLine)
{
    struct Case {
        const char* name;
        std::vector<std::array<int, 3>> notes; // on tick, off tick, key
        const char* line;
        const char* warning; // nullptr: none
    };
    const std::vector<Case> cases = {
        {"triad", {{0, 96, 60}, {0, 96, 64}, {0, 96, 67}}, "0-8:67", "2 notes were dropped"},
        // 100 ticks are 520.8 ms, off the grid: 520 ms.
        {"legato down", {{0, 100, 72}, {96, 192, 60}}, "0-8.32:72 8.32-16:60", nullptr},
        {"legato up", {{0, 100, 60}, {96, 192, 72}}, "0-8:60 8-16:72", nullptr},
        {"long bass under a tune",
         {{0, 384, 48}, {0, 96, 72}, {96, 192, 74}},
         "0-8:72 8-16:74 16-32:48",
         nullptr},
        {"unison struck again", {{0, 192, 60}, {96, 192, 60}}, "0-8:60 8-16:60", nullptr},
        {"a high note hides one", {{0, 192, 72}, {48, 96, 60}}, "0-16:72", "1 note was dropped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Events in time order; at one tick note-offs first.
        std::vector<std::array<int, 3>> events; // tick, kind (0 off, 1 on), key
        for (const auto& n : c.notes) {
            events.push_back({n[0], 1, n[2]});
            events.push_back({n[1], 0, n[2]});
        }
        std::stable_sort(events.begin(), events.end());
        MidiTrackBytes track;
        int now = 0;
        for (const auto& e : events) {
            const auto delta = static_cast<std::uint32_t>(e[0] - now);
            now = e[0];
            // On the second channel; a key struck again before its
            // note-off ends the note that sounds.
            if (e[1] == 1)
                track.on(delta, e[2], 1);
            else
                track.off(delta, e[2], 1);
        }
        Tune t;
        const FormatResult r = ImportMidi(midiFile(0, 96, {track}), t);
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(unitNotes(t), c.line);
        test::expectWarnings(r.warnings, {c.warning});
    }
}

TEST(MidiImport, LinesAndTheChoiceOfOne)
{
    MidiTrackBytes conductor;
    conductor.name("Song").tempo(0, 500000);
    MidiTrackBytes lead;
    lead.name("Lead").on(0, 72).off(96, 72).on(0, 74).off(96, 74).on(0, 76).off(96, 76);
    MidiTrackBytes mixed; // a bass on channel 2 and a pad on channel 3
    mixed.on(0, 40, 1).off(96, 40, 1).on(0, 52, 2).off(192, 52, 2).on(0, 41, 1).off(96, 41, 1);
    MidiTrackBytes drums;
    for (int i = 0; i < 8; ++i)
        drums.on(0, 36, 9).off(48, 36, 9);
    const std::string file = midiFile(1, 96, {conductor, lead, mixed, drums});

    const MidiLines found = ListMidiLines(file);
    ASSERT_TRUE(found.ok()) << found.error;
    std::string listed;
    for (const MidiLine& l : found.lines)
        listed += DescribeMidiLine(l) + (l.drums() ? " drums" : "") + "; ";
    EXPECT_EQ(listed, "track 2, channel 1 (\"Lead\", 3 notes); track 3, channel 2 (2 notes); "
                      "track 3, channel 3 (1 note); track 4, channel 10 (8 notes) drums; ");
    EXPECT_EQ(MelodyLines(found.lines).size(), 3u);
    ASSERT_NE(DefaultMidiLine(found.lines), nullptr);
    EXPECT_EQ(DefaultMidiLine(found.lines)->track, 2);

    struct Case {
        MidiLineChoice choice;
        const char* notes; // or the error
        const char* name;
        const char* warning;
    };
    const Case cases[] = {
        {{},
         "0-8:72 8-16:74 16-24:76",
         "Lead",
         "The file holds 3 melody lines; track 2, channel 1 (\"Lead\", 3 notes) was read. The "
         "others: track 3, channel 2 (2 notes), track 3, channel 3 (1 note)."},
        {{3, 0}, "0-8:40 24-32:41", "Song", nullptr}, // the first track names an unnamed one
        {{3, 3}, "8-24:52", "Song", nullptr},
        {{0, 3}, "8-24:52", "Song", nullptr},
        {{4, 10},
         "0-4:36 4-8:36 8-12:36 12-16:36 16-20:36 20-24:36 24-28:36 28-32:36",
         "Song",
         nullptr},
        {{4, 0}, "Track 4 holds no notes outside the drum channel 10.", nullptr, nullptr},
        {{2, 5}, "Track 2 holds no notes on channel 5.", nullptr, nullptr},
        {{9, 0}, "The file has no track 9; it has 4 tracks.", nullptr, nullptr},
        {{0, 7}, "No track holds notes on channel 7.", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.choice.track) + "/" + std::to_string(c.choice.channel));
        auto t = test::sentinelTune();
        const std::string before = test::snapshot(*t);
        const FormatResult r = ImportMidi(file, *t, c.choice);
        if (!c.name) {
            EXPECT_EQ(r.error, c.notes);
            EXPECT_EQ(test::snapshot(*t), before);
            continue;
        }
        ASSERT_TRUE(r.ok()) << r.error;
        EXPECT_EQ(unitNotes(*t), c.notes);
        EXPECT_EQ(t->toneName, c.name);
        test::expectWarnings(r.warnings, {c.warning});
    }
}

// What makes a file unreadable: a sentence that says where, and the tune as
// it was.
TEST(MidiImport, BrokenFilesSayWhatAndWhere)
{
    const std::string good = midiFile(0, 96, {MidiTrackBytes().on(0, 60).off(96, 60)});
    const std::string track = good.substr(14);
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"empty", "", "Not a MIDI file: it does not begin with \"MThd\"."},
        {"a RIFF file", "RIFF\x10\0\0\0RMIDdata", "Not a MIDI file"},
        {"header cut", good.substr(0, 6), "The file ends inside its header, after 6 bytes."},
        {"header cut later", good.substr(0, 10),
         "The header at byte 0 announces 6 bytes, but only 2 follow."},
        {"header of 3 bytes", midiChunk("MThd", midiBytes({0, 0, 1})) + track,
         "The header at byte 0 is 3 bytes long; a MIDI header holds at least 6."},
        {"format 2", midiHeader(2, 1, 96) + track,
         "The file is of MIDI format 2 (independent sequences); only formats 0 and 1 can be "
         "read."},
        {"format 7", midiHeader(7, 1, 96) + track, "MIDI format 7, which does not exist"},
        {"no tracks", midiHeader(1, 0, 96), "The file holds no tracks."},
        {"SMPTE frames", midiHeader(0, 1, 0xE728) + track, "SMPTE frames, which cannot be read"},
        {"no ticks", midiHeader(0, 1, 0) + track, "The file gives 0 ticks per quarter note."},
        {"chunk header cut", good.substr(0, 18),
         "The file is cut short at byte 14, inside the header of a chunk."},
        {"chunk cut", good.substr(0, good.size() - 3),
         "The chunk at byte 14 announces 12 bytes, but only 9 follow."},
        {"a 100 MB length",
         midiHeader(0, 1, 96) + "MTrk" + test::midiU32(100u << 20) + midiBytes({0, 0x90}),
         "The chunk at byte 14 announces 104857600 bytes, but only 2 follow."},
        {"tracks missing", midiHeader(1, 3, 96) + track,
         "The file announces 3 tracks but ends after 1, at byte 34."},
        {"no end of track", midiHeader(0, 1, 96) + MidiTrackBytes().on(0, 60).chunk(false),
         "Track 1 ends at byte 26 without its end-of-track event."},
        // A million running-status note events and no end.
        {"endless running status",
         midiHeader(0, 1, 96) +
             midiChunk(
                 "MTrk", midiBytes({0, 0x90, 60, 90}) +
                             [] {
                                 std::string run;
                                 for (int i = 0; i < 1000000; ++i)
                                     run += midiBytes({1, 60, i % 2 == 0 ? 0 : 90});
                                 return run;
                             }()),
         "Track 1 ends at byte 3000026 without its end-of-track event."},
        {"running status with no status",
         midiHeader(0, 1, 96) + MidiTrackBytes().event(0, midiBytes({60, 90})).chunk(),
         "Track 1, byte 23: a data byte (0x3C) with no status byte before it."},
        {"a time of five bytes",
         midiHeader(0, 1, 96) +
             midiChunk("MTrk", midiBytes({0x81, 0x81, 0x81, 0x81, 0x01, 0xFF, 0x2F, 0})),
         "Track 1, byte 22: a time longer than 4 bytes."},
        {"status inside a note", midiHeader(0, 1, 96) + MidiTrackBytes().on(0, 0x90).chunk(),
         "Track 1, byte 24: a status byte (0x90) where the event at byte 23 needs a data byte."},
        {"a system common status",
         midiHeader(0, 1, 96) + MidiTrackBytes().event(0, midiBytes({0xF4})).chunk(),
         "Track 1, byte 23: the status byte 0xF4 has no place in a MIDI file."},
        {"event cut", midiHeader(0, 1, 96) + midiChunk("MTrk", midiBytes({0, 0x90, 60})),
         "Track 1 is cut short at byte 25, inside an event."},
        {"meta cut", midiHeader(0, 1, 96) + midiChunk("MTrk", midiBytes({0, 0xFF, 0x03, 9, 'a'})),
         "Track 1 is cut short at byte 26, inside a meta event."},
        {"sysex cut", midiHeader(0, 1, 96) + midiChunk("MTrk", midiBytes({0, 0xF0, 0x20, 1})),
         "inside a system-exclusive event."},
        {"no notes", midiFile(1, 96, {MidiTrackBytes().tempo(0, 400000)}),
         "The file holds no notes."},
        {"only drums", midiFile(0, 96, {MidiTrackBytes().on(0, 36, 9).off(10, 36, 9)}),
         "The file holds no melody: every note is on the drum channel 10."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto t = test::sentinelTune();
        const std::string before = test::snapshot(*t);
        NoteLengthState length;
        length.newNoteUnits = 3.0f;
        const FormatResult r = ImportMidi(c.bytes, *t, length, 1, {});
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        EXPECT_EQ(test::snapshot(*t), before);
        EXPECT_EQ(length.newNoteUnits, 3.0f);
        EXPECT_EQ(ListMidiLines(c.bytes).ok(), r.error.find("notes") != std::string::npos ||
                                                   r.error.find("melody") != std::string::npos);
    }
}

TEST(MidiImport, WarningsForWhatIsLeftOut)
{
    // An unended note, a tempo that is no tempo, a tempo too fast for the
    // tune, more notes than the table holds.
    MidiTrackBytes track;
    track.tempo(0, 50000).event(0, midiBytes({0xFF, 0x51, 2, 1, 2}));
    for (int i = 0; i < kMaxNotes + 5; ++i)
        track.on(0, 60 + i % 12).off(12, 60 + i % 12);
    track.on(0, 61);
    Tune t;
    const FormatResult r = ImportMidi(midiFile(0, 96, {track}), t);
    ASSERT_TRUE(r.ok()) << r.error;
    test::expectWarnings(r.warnings,
                         {"1 note has no note-off; it ends with its track.",
                          "1 tempo event is not three bytes of a non-zero tempo; skipped.",
                          "The file's tempo of 1200 bpm is outside 1 to 999; the tune takes 999 "
                          "bpm and its notes keep their times.",
                          "Only the first 999 notes were loaded; 5 notes from 6243 ms on were "
                          "dropped."});
    EXPECT_EQ(t.noteCount, kMaxNotes);
    EXPECT_EQ(t.tempoBpm, kMaxTempoBpm);

    // A note that ends past what the tune's times hold, 2^24 ms.
    MidiTrackBytes late;
    late.on(0, 60).off(96, 60).on(0, 62).off(96 * 40000, 62);
    Tune l;
    const FormatResult lr = ImportMidi(midiFile(0, 96, {late}), l);
    ASSERT_TRUE(lr.ok()) << lr.error;
    test::expectWarnings(
        lr.warnings, {"1 note ends after 16777216 ms, longer than a tune lasts; it was dropped."});
    EXPECT_EQ(unitNotes(l), "0-8:60");
}

// RTX to MIDI and back: every note keeps its pitch and its length.
TEST(MidiRoundTrip, RtxThroughMidiKeepsEveryNote)
{
    const char* const rtx[] = {
        "Ring1:d=4,o=5,b=160:4a4,4p,8c#,",
        "Melody:d=4,o=5,b=120:8c,8d,4e.,16f,32g,2a,1h,4p,8c6,8d#7,",
        "Slow:d=8,o=4,b=40:c,d,e,f,g,a,h,c5,p,p,c6,",
        "Fast:d=32,o=6,b=900:c,c#,d,d#,e,f,f#,g,g#,a,a#,h,",
    };
    for (const char* text : rtx) {
        SCOPED_TRACE(text);
        Tune fromRtx;
        ASSERT_TRUE(ImportRtx(text, fromRtx).ok());
        const ExportResult midi = ExportMidi(fromRtx);
        ASSERT_TRUE(midi.ok());
        Tune back;
        const FormatResult read = ImportMidi(midi.bytes, back);
        ASSERT_TRUE(read.ok()) << read.error;
        EXPECT_EQ(unitNotes(back), unitNotes(fromRtx));
        EXPECT_EQ(test::msNotes(back), test::msNotes(fromRtx));
        EXPECT_EQ(ExportRtx(back).bytes, ExportRtx(fromRtx).bytes);
    }
}

// Files cut at every length and bytes flipped at random: a clean error or
// ordered notes, never a crash; a failed read leaves the tune.
TEST(MidiImport, DamagedFilesNeverCrash)
{
    MidiTrackBytes conductor;
    conductor.name("Song").tempo(0, 500000).tempo(96, 300000);
    MidiTrackBytes lead;
    lead.name("Lead").event(0, midiBytes({0xF0, 2, 1, 0xF7}));
    for (int i = 0; i < 20; ++i)
        lead.on(i % 3 == 0 ? 0 : 5, 60 + i, i % 2).off(40, 60 + i, i % 2);
    const std::string file = midiFile(1, 96, {conductor, lead});
    std::vector<std::string> inputs;
    for (std::size_t n = 0; n < file.size(); ++n)
        inputs.push_back(file.substr(0, n));
    std::mt19937 rng(20261209);
    for (int i = 0; i < 3000; ++i) {
        std::string s = file;
        for (int k = 0, flips = 1 + static_cast<int>(rng() % 4); k < flips; ++k)
            s[rng() % s.size()] = static_cast<char>(rng());
        inputs.push_back(s);
    }
    int read = 0;
    for (const std::string& in : inputs) {
        auto t = test::sentinelTune();
        const std::string before = test::snapshot(*t);
        const FormatResult r = ImportMidi(in, *t);
        if (!r.ok()) {
            ASSERT_EQ(test::snapshot(*t), before) << r.error;
            continue;
        }
        ++read;
        ASSERT_TRUE(isValidTempo(t->tempoBpm));
        ASSERT_LE(t->noteCount, kMaxNotes);
        for (int k = 1; k <= t->noteCount; ++k) {
            const NoteRecord &n = t->noteTable[k], &last = t->noteTable[k - 1];
            ASSERT_GE(n.pitch, 0);
            ASSERT_LE(n.pitch, 127);
            ASSERT_GE(n.endMs, n.startMs);
            ASSERT_GE(n.endUnits, n.startUnits);
            if (k > 1) {
                ASSERT_GE(n.startUnits, last.endUnits);
                ASSERT_GE(n.startMs, last.endMs);
            }
        }
    }
    EXPECT_GT(read, 100);
}

} // namespace
} // namespace qte
