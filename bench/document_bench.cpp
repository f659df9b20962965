// The undo history of a 999-note tune: one undo or redo with the tone text
// written again (goal: under 1 ms), and what 100 steps of it hold (goal:
// under 16 MB).

#include "document/tune_document.h"
#include "tune/tone_fixture.h"
#include "tune/tone_generator.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace qte;

constexpr int kSteps = 100;
constexpr double kMegabyte = 1024.0 * 1024.0;

// 999 notes back to back, so that every one has its line in the text.
std::unique_ptr<Tune> fullTune()
{
    auto tune = std::make_unique<Tune>();
    for (int i = 0; i < kMaxNotes; ++i) {
        NoteRecord& n = tune->noteTable[static_cast<std::size_t>(++tune->noteCount)];
        n.startMs = i * 187;
        SetEnd(n, n.startMs + 187);
        n.pitch = 69 + i % 40;
    }
    DeriveUnitsFromMs(*tune);
    return tune;
}

// Each step moves one note a semitone, as an edit in the Ringdata view does.
void makeSteps(TuneDocument& doc)
{
    for (int i = 1; i <= kSteps; ++i)
        doc.change("Edit note", [i](Tune& t) {
            NoteRecord& n = t.noteTable[static_cast<std::size_t>(i * 9)];
            n.pitch = n.pitch == 108 ? 69 : n.pitch + 1;
        });
}

void BM_UndoRedoWithToneText(benchmark::State& state)
{
    TextConfig config = test::exampleTextConfig();
    config.headerLineCount = config.footerLineCount = -1;
    const NoteNameTable names = BuildNoteNameTable();
    TuneDocument doc;
    doc.open(*fullTune(), {});
    makeSteps(doc);
    bool undoing = true;
    for (auto _ : state) {
        if (undoing ? !doc.undo() : !doc.redo()) {
            undoing = !undoing;
            (void)(undoing ? doc.undo() : doc.redo());
        }
        GeneratedToneText text = WriteToneText(doc.tune(), config, names, {false, false});
        if (text.text.droppedLineCount != 0) state.SkipWithError("text cut");
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_UndoRedoWithToneText)->Unit(benchmark::kMillisecond);

void BM_HistoryOfAHundredSteps(benchmark::State& state)
{
    const auto tune = fullTune();
    std::size_t bytes = 0;
    for (auto _ : state) {
        TuneDocument doc;
        doc.open(*tune, {});
        makeSteps(doc);
        if (doc.undoSteps() != kSteps) state.SkipWithError("steps lost");
        bytes = doc.historyBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["history_mb"] = static_cast<double>(bytes) / kMegabyte;
    // What a copy of the whole tune a step would hold.
    state.counters["whole_tunes_mb"] = static_cast<double>((kSteps + 1) * sizeof(Tune)) / kMegabyte;
}
BENCHMARK(BM_HistoryOfAHundredSteps)->Unit(benchmark::kMillisecond);

} // namespace
