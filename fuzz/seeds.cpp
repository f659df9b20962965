// Writes the generated part of the seed corpora with our own exporters:
// qte_fuzz_seeds <corpus folder>. The files it writes are committed; run it
// again when a format changes.
#include "formats/bit_writer.h"
#include "formats/event_file.h"
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
    return ok ? 0 : 1;
}
