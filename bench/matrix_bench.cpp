// Matrix painting speed on a 1920 x 1080 backing image holding 999 notes:
// a full repaint at the first-start zoom and at the smallest zoom, and the
// repaint of one mouse move while notes are dragged. Each reports its time
// as a multiple of one solid fill of the same image (floor_x), measured in
// the same run.

#include "matrix/matrix_context.h"
#include "matrix/matrix_edit.h"
#include "matrix/matrix_painter.h"
#include "matrix/matrix_view.h"
#include "platform/image_surface.h"
#include "tune/tune.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

using namespace qte;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct Bench {
    Bench()
    {
        for (int i = 1; i <= kMaxNotes; ++i) {
            NoteRecord n;
            n.startUnits = static_cast<float>(i - 1) * 1.25f;
            n.endUnits = n.startUnits + 1.0f;
            n.pitch = 60 + (i * 7) % 40;
            n.kind = i % 17 == 0 ? 1 : 0;
            (void)InsertNote(tune, n, 30);
        }
        for (int i = 1; i <= 200; ++i) {
            NoteRecord v;
            v.startUnits = static_cast<float>(i) * 6.0f;
            v.endUnits = v.startUnits + 3.0f;
            (void)InsertVibra(tune, v);
            (void)InsertText(tune, static_cast<float>(i) * 6.0f);
        }
        for (int i = 1; i <= 50; ++i)
            (void)InsertRepeat(tune, static_cast<float>(i) * 24.0f, i * 24.0f + 16.0f);
        LayoutMatrix(view, tune, kWidth, kHeight);
        view.lowestPitch = 58;
        LayoutMatrix(view, tune, kWidth, kHeight);
    }
    void smallestZoom()
    {
        while (ZoomX(view, tune, ZoomDirection::Out)) {
        }
        while (ZoomY(view, tune, ZoomDirection::Out)) {
        }
    }
    MatrixContext context() { return {tune, view, edit, options, keys, play}; }

    Tune tune;
    MatrixView view;
    MatrixEditState edit;
    MatrixOptions options;
    ModifierKeys keys;
    PlayInfo play;
    MatrixPainter painter;
    ImageSurface image{kWidth, kHeight};
};

// One solid fill of the whole image, timed over many runs.
double floorSeconds(ImageSurface& image)
{
    constexpr int runs = 50;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) {
        image.fillRect({0, 0, kWidth, kHeight}, rgbColour(i & 0xFF, 0, 0));
        benchmark::DoNotOptimize(image.bits());
    }
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
    return d.count() / runs;
}

using Clock = std::chrono::steady_clock;

// The loop's wall time per iteration next to the floor.
void reportFloor(benchmark::State& state, ImageSurface& image, Clock::time_point loopStart)
{
    const std::chrono::duration<double> loop = Clock::now() - loopStart;
    const double each = loop.count() / static_cast<double>(state.iterations());
    const double floor = floorSeconds(image);
    state.counters["floor_ms"] = floor * 1e3;
    state.counters["each_ms"] = each * 1e3;
    state.counters["floor_x"] = each / floor;
}

void BM_SolidFill(benchmark::State& state)
{
    ImageSurface image(kWidth, kHeight);
    for (auto _ : state) {
        image.fillRect({0, 0, kWidth, kHeight}, rgbColour(1, 2, 3));
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_SolidFill)->Unit(benchmark::kMillisecond);

void BM_RepaintDefaultZoom(benchmark::State& state)
{
    auto b = std::make_unique<Bench>();
    MatrixContext c = b->context();
    const auto loopStart = Clock::now();
    for (auto _ : state) {
        b->image.clearTexts();
        b->painter.RepaintMatrix(c, b->image);
    }
    reportFloor(state, b->image, loopStart);
}
BENCHMARK(BM_RepaintDefaultZoom)->Unit(benchmark::kMillisecond);

void BM_RepaintSmallestZoom(benchmark::State& state)
{
    auto b = std::make_unique<Bench>();
    b->smallestZoom();
    MatrixContext c = b->context();
    const auto loopStart = Clock::now();
    for (auto _ : state) {
        b->image.clearTexts();
        b->painter.RepaintMatrix(c, b->image);
    }
    state.counters["unit_width"] = b->view.unitWidth;
    state.counters["row_height"] = b->view.rowHeight;
    reportFloor(state, b->image, loopStart);
}
BENCHMARK(BM_RepaintSmallestZoom)->Unit(benchmark::kMillisecond);

// Twenty selected notes hang at the mouse; each move repaints.
void BM_DragMoveRepaint(benchmark::State& state)
{
    auto b = std::make_unique<Bench>();
    for (int i = 10; i < 30; ++i)
        b->tune.noteTable[i].selected = 1;
    b->tune.selectionMode = 2;
    CutSelection(b->tune, b->edit);
    (void)PasteClipboard(b->tune, b->edit);
    MatrixContext c = b->context();
    int step = 0;
    const auto loopStart = Clock::now();
    for (auto _ : state) {
        b->edit.mouseX = 200 + (step % 600);
        b->edit.mouseY = 300 + (step % 200);
        ++step;
        b->image.clearTexts();
        b->painter.RepaintMatrix(c, b->image);
    }
    reportFloor(state, b->image, loopStart);
}
BENCHMARK(BM_DragMoveRepaint)->Unit(benchmark::kMillisecond);

} // namespace
