// Writes the generated part of the seed corpora with our own exporters:
// qte_fuzz_seeds <corpus folder>. The files it writes are committed; run it
// again when a format changes.
#include "formats/bit_writer.h"
#include "formats/event_file.h"
#include "formats/imelody.h"
#include "formats/midi_file.h"
#include "formats/ota.h"
#include "formats/rtx.h"
#include "tune/tune.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct NoteSpec {
    float start, end;
    int pitch;
};

std::unique_ptr<qte::Tune> makeTune(std::initializer_list<NoteSpec> notes, int bpm,
                                    const char* name = "Seed")
{
    auto t = std::make_unique<qte::Tune>();
    t->toneName = name;
    t->tempoBpm = bpm;
    t->msPerUnit = 7500.0f / static_cast<float>(bpm);
    for (const NoteSpec& n : notes) {
        qte::NoteRecord& r = t->noteTable[++t->noteCount];
        r.startUnits = n.start;
        r.endUnits = n.end;
        r.durationUnits = n.end - n.start;
        r.pitch = n.pitch;
        r.startMs = qte::unitsToMs(n.start, t->msPerUnit);
        r.endMs = qte::unitsToMs(n.end, t->msPerUnit);
        r.durationMs = r.endMs - r.startMs;
    }
    return t;
}

// The tunes every exporter writes a seed of.
std::vector<std::pair<std::string, std::unique_ptr<qte::Tune>>> seedTunes()
{
    std::vector<std::pair<std::string, std::unique_ptr<qte::Tune>>> tunes;
    tunes.emplace_back("empty", makeTune({}, 160));
    tunes.emplace_back("quarter_a", makeTune({{0, 8, 69}}, 160));
    // Dotted, double dotted and triplet lengths, pauses, all four scales and
    // a natural-style quarter (8 units less 20 ms at 160 bpm).
    tunes.emplace_back("melody", makeTune({{0, 12, 60},
                                           {12, 16, 64},
                                           {28, 42, 67},
                                           {42, 47.36f, 72},
                                           {48, 55.573f, 84},
                                           {56, 57, 96},
                                           {64, 96, 107}},
                                          120));
    tunes.emplace_back("fast", makeTune({{0, 1, 71}, {1, 2, 73}, {2, 3, 75}, {4, 5, 77}}, 900));
    tunes.emplace_back("slow", makeTune({{0, 32, 62}, {40, 48, 59}, {48, 56, 108}}, 25));
    // A quarter A, a quarter pause, an eighth C sharp an octave up; a name
    // longer than an RTX header takes.
    tunes.emplace_back("ring1", makeTune({{0, 8, 69}, {16, 20, 73}}, 160, "Ring1"));
    tunes.emplace_back("long_name", makeTune({{0, 40, 72}, {40.5f, 52, 60}}, 200, "Morning alarm"));
    return tunes;
}

bool writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// One instruction as its fields, the 3-bit id first.
using Fields = std::vector<std::pair<int, int>>;

// An OTA message the exporter never writes: other styles, volume, tempo
// changes, a second pattern.
std::string handMadeOta(const std::vector<Fields>& instructions, int trailer)
{
    qte::BitWriter w;
    for (auto [n, v] : Fields{{8, 2},
                              {7, 0x25},
                              {1, 0},
                              {7, 0x1D},
                              {3, 1},
                              {4, 2},
                              {8, 'h'},
                              {8, 'm'},
                              {8, 1},
                              {3, 0},
                              {2, 0},
                              {4, 0}})
        w.putBits(n, static_cast<std::uint8_t>(v));
    w.putBits(8, static_cast<std::uint8_t>(instructions.size()));
    for (const Fields& f : instructions)
        for (auto [n, v] : f)
            w.putBits(n, static_cast<std::uint8_t>(v));
    w.putBits(8, static_cast<std::uint8_t>(trailer));
    w.putBits(0, 0);
    return w.completedBytes();
}

bool writeOta(const fs::path& dir)
{
    fs::create_directories(dir);
    bool ok = true;
    for (const auto& [name, tune] : seedTunes()) {
        const qte::ExportResult r = qte::ExportOta(*tune);
        if (r.ok()) ok = writeFile(dir / (name + ".ota"), r.bytes) && ok;
    }
    const Fields tempo160{{3, 4}, {5, 16}}, tempo900{{3, 4}, {5, 31}}, volume{{3, 5}, {4, 15}};
    const Fields staccato{{3, 3}, {2, 2}}, natural{{3, 3}, {2, 0}}, style3{{3, 3}, {2, 3}};
    const Fields scale3{{3, 2}, {2, 3}}, unknown{{3, 7}};
    auto note = [](int v, int d, int s) { return Fields{{3, 1}, {4, v}, {3, d}, {2, s}}; };
    ok = writeFile(dir / "styles.ota",
                   handMadeOta({tempo160, volume, staccato, note(10, 2, 0), natural, note(12, 5, 3),
                                style3, scale3, note(15, 1, 2), unknown},
                               0)) &&
         ok;
    ok = writeFile(dir / "tempo_change.ota",
                   handMadeOta({tempo160, note(1, 3, 0), tempo900, note(0, 0, 1), note(5, 4, 0)},
                               0x55)) &&
         ok;
    return ok;
}

} // namespace

// Every seed tune through one text exporter.
template <class Export>
bool writeExported(const fs::path& dir, const char* extension, Export exportTune)
{
    fs::create_directories(dir);
    bool ok = true;
    for (const auto& [name, tune] : seedTunes()) {
        const qte::ExportResult r = exportTune(*tune);
        if (r.ok()) ok = writeFile(dir / (name + extension), r.bytes) && ok;
    }
    return ok;
}

namespace {

// A tune with what only MIDI and iMelody carry besides notes: repeat
// blocks, vibra segments and a free text.
std::unique_ptr<qte::Tune> blocksTune()
{
    auto t = makeTune({{0, 8, 69}, {8, 12, 72}, {12, 16, 74}, {24, 32, 76}, {32, 40, 81}}, 120,
                      "Blocks");
    auto span = [&](auto& r, float from, float to) {
        r.startUnits = from;
        r.endUnits = to;
        r.startMs = qte::unitsToMs(from, t->msPerUnit);
        r.endMs = qte::unitsToMs(to, t->msPerUnit);
    };
    span(t->repeatList[++t->repeatCount], 8, 16);
    t->repeatList[1].repetitions = 3;
    span(t->vibraList[++t->vibraCount], 24, 40);
    qte::TextRecord& text = t->textList[++t->textCount];
    text.timeUnits = 12;
    text.timeMs = qte::unitsToMs(12, t->msPerUnit);
    text.setText("chorus");
    return t;
}

std::string u32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

std::string chunk(const char* tag, const std::string& data)
{
    return tag + u32(static_cast<std::uint32_t>(data.size())) + data;
}

std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

// MIDI files our exporter never writes: format 1 with a tempo track, tempo
// changes, running status, a chord, drums, system-exclusive and text
// events, a note that never ends, a chunk of another kind.
bool writeMidi(const fs::path& dir)
{
    fs::create_directories(dir);
    const std::string header1 = chunk("MThd", bytes({0, 1, 0, 3, 0x01, 0xE0}));
    const std::string tempos =
        chunk("MTrk", bytes({0x00, 0xFF, 0x03, 4,    'S',  'o',  'n',  'g',  0x00,
                             0xFF, 0x51, 3,    0x07, 0xA1, 0x20, 0x8F, 0x00, 0xFF,
                             0x51, 3,    0x0F, 0x42, 0x40, 0x00, 0xFF, 0x2F, 0}));
    const std::string lead =
        chunk("MTrk", bytes({0x00, 0xFF, 0x03, 4,    'L',  'e',  'a',  'd',  0x00, 0xF0, 3,    0x7E,
                             0x09, 0xF7, 0x00, 0x90, 69,   90,   0x83, 0x60, 69,   0,    0x00, 60,
                             90,   0x00, 64,   90,   0x00, 67,   90,   0x81, 0x70, 0x80, 60,   0,
                             0x00, 64,   0,    0x00, 67,   0,    0x89, 0x30, 0x90, 72,   90,   0x00,
                             0xFF, 0x01, 2,    'h',  'i',  0x83, 0x60, 72,   0,    0x00, 0xC0, 5,
                             0x00, 0xE0, 0,    64,   0x00, 0x90, 76,   80,   0x00, 0xFF, 0x2F, 0}));
    const std::string drums = chunk("MTrk", bytes({0x00, 0x99, 36, 100, 0x60, 36, 0, 0x60, 38, 100,
                                                   0x60, 38, 0, 0x00, 0xFF, 0x2F, 0}));
    bool ok =
        writeFile(dir / "format1.mid", header1 + tempos + chunk("XFIH", "skipped") + lead + drums);
    const std::string header0 = chunk("MThd", bytes({0, 0, 0, 1, 0, 0x60}));
    ok = writeFile(dir / "format0.mid",
                   header0 + chunk("MTrk", bytes({0x00, 0x90, 60, 64, 0x18, 0x80, 60, 0, 0x00, 0x91,
                                                  62, 64, 0x18, 62, 0, 0x00, 0xFF, 0x2F, 0}))) &&
         ok;
    return ok;
}

// iMelody texts our exporter never writes: lower-case keys, folded lines,
// every element and command, nested and endless repeats.
bool writeIMelody(const fs::path& dir)
{
    fs::create_directories(dir);
    bool ok = writeFile(dir / "commands.imy",
                        "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\nNAME:Commands\r\n"
                        "BEAT:200\r\nSTYLE:S2\r\nVOLUME:V12\r\nMELODY:*5c2ledond3.ledoffe4:f5;"
                        "backon&b1backoffV+V-V9r2vibeon#c2vibeoff(*2g3a3@0V+)\r\nEND:IMELODY\r\n");
    ok = writeFile(dir / "folded.imy", "begin:imelody\nversion:1.0\nbeat:25\nmelody:*0c0d1\n "
                                       "e2(f3(g4@2)a5@1200)b3)\n\tr0\nend:imelody\n") &&
         ok;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const fs::path corpus = argv[1];
    bool ok = writeOta(corpus / "ota");
    ok = writeExported(corpus / "rtx", ".rtx",
                       [](const qte::Tune& t) { return qte::ExportRtx(t); }) &&
         ok;
    ok = writeExported(corpus / "event_file", ".evt",
                       [](const qte::Tune& t) { return qte::ExportEvt(t); }) &&
         ok;
    const auto midi = [](const qte::Tune& t) { return qte::ExportMidi(t); };
    const auto imelody = [](const qte::Tune& t) { return qte::ExportIMelody(t); };
    ok = writeExported(corpus / "midi", ".mid", midi) && writeMidi(corpus / "midi") &&
         writeFile(corpus / "midi" / "blocks.mid", midi(*blocksTune()).bytes) && ok;
    ok = writeExported(corpus / "imelody", ".imy", imelody) && writeIMelody(corpus / "imelody") &&
         writeFile(corpus / "imelody" / "blocks.imy", imelody(*blocksTune()).bytes) && ok;
    return ok ? 0 : 1;
}
