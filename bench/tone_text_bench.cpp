// A 999-note tune as tone text: writing it, reading it back, and loading it
// from a Ringdata.h catalogue entry the way a click in the list does.

#include "tune/random_tune.h"
#include "tune/ringdata_file.h"
#include "tune/tone_fixture.h"
#include "tune/tone_generator.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace qte;

struct Fixture {
    TextConfig config = test::exampleTextConfig();
    NoteNameTable names = BuildNoteNameTable();
    std::unique_ptr<Tune> tune = std::make_unique<Tune>();
    // A definition of the tune's 999 TONE lines alone: with the "{" and "};"
    // lines it fills the 1000 lines a definition holds.
    std::string text;

    Fixture()
    {
        // No header or footer, so that the generated text holds every note.
        config.headerLineCount = config.footerLineCount = -1;
        // Notes back to back: one line each, so all 999 fit.
        tune->tempoBpm = 160;
        tune->msPerUnit = 7500.0f / 160.0f;
        for (int i = 0; i < kMaxNotes; ++i) {
            NoteRecord& n = tune->noteTable[static_cast<std::size_t>(++tune->noteCount)];
            n.startMs = i * 187;
            SetEnd(n, n.startMs + 187);
            n.pitch = 69 + i % 40;
        }
        DeriveUnitsFromMs(*tune);
        const GeneratedToneText g = GenerateToneText(*tune, config, names, {false, false});
        text = "static TONE tone_bench[] =\n{\n";
        for (int i = 1; i < g.text.toneTextLineCount; ++i)
            text += g.text.toneTextLines[static_cast<std::size_t>(i)];
        text += "};\n";
    }
};

const Fixture& fixture()
{
    static const Fixture f;
    return f;
}

void BM_GenerateToneText(benchmark::State& state)
{
    const Fixture& f = fixture();
    auto tune = std::make_unique<Tune>(*f.tune);
    for (auto _ : state) {
        GeneratedToneText g = GenerateToneText(*tune, f.config, f.names, {false, false});
        if (g.text.droppedLineCount != 0) state.SkipWithError("text cut");
        benchmark::DoNotOptimize(g);
    }
}
BENCHMARK(BM_GenerateToneText)->Unit(benchmark::kMicrosecond);

void BM_ParseToneText(benchmark::State& state)
{
    const Fixture& f = fixture();
    // The lines after "{", as a loader stores them.
    SourceLines lines;
    std::string_view rest(f.text);
    rest.remove_prefix(rest.find("{\n") + 2);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        lines.sourceLines.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    lines.bodyCloseLine = lines.sourceLineCount();
    auto tune = std::make_unique<Tune>();
    ParserState parser;
    for (auto _ : state) {
        ClearTune(*tune);
        const ToneTextResult r = ParseToneText(*tune, lines, parser, f.config, f.names);
        if (tune->noteCount != kMaxNotes) {
            state.SkipWithError("notes lost");
            break;
        }
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_ParseToneText)->Unit(benchmark::kMicrosecond);

// The catalogue entry is the tune between two other definitions.
void BM_LoadCatalogueTuneAndGenerate(benchmark::State& state)
{
    const Fixture& f = fixture();
    const std::string ringdata =
        "static TONE a[] =\n{\n};\n\n" + f.text + "\nstatic TONE b[] =\n{\n};\n";
    auto catalogue = std::make_unique<TuneCatalogue>();
    if (!ScanRingdataFile(std::string_view(ringdata), *catalogue).ok() || catalogue->tuneCount != 3)
        state.SkipWithError("catalogue not read");
    auto tune = std::make_unique<Tune>();
    ParserState parser;
    for (auto _ : state) {
        const ToneTextResult r = LoadCatalogueTune(*tune, *catalogue, 2, std::string_view(ringdata),
                                                   parser, f.config, f.names);
        GeneratedToneText g = GenerateToneText(*tune, f.config, f.names, {false, false});
        if (g.text.droppedLineCount != 0 || tune->noteCount != kMaxNotes)
            state.SkipWithError("tune cut");
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(g);
    }
}
BENCHMARK(BM_LoadCatalogueTuneAndGenerate)->Unit(benchmark::kMicrosecond);

} // namespace
