// Rendering speed: seconds of audio rendered per CPU second, for a tune of
// 999 notes lasting about five minutes, next to sox generating a square
// wave of the same length.

#include "config/frequency_table.h"
#include "config/text_config.h"
#include "sound/renderer.h"
#include "tune/tune.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace {

using namespace qte;

Tune fiveMinuteTune()
{
    Tune tune;
    for (int i = 1; i <= kMaxNotes; ++i) {
        NoteRecord& n = tune.noteTable[i];
        n.startMs = (i - 1) * 300;
        n.endMs = n.startMs + 280;
        n.durationMs = 280;
        n.startUnits = msToUnits(n.startMs, tune.msPerUnit);
        n.endUnits = msToUnits(n.endMs, tune.msPerUnit);
        n.pitch = 40 + (i * 7) % 61; // pitches 40..100
    }
    tune.noteCount = kMaxNotes;
    return tune;
}

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double childCpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

double soxAudioSecondsPerCpuSecond(double audioSeconds);

void BM_RenderFiveMinutes(benchmark::State& state)
{
    Tune tune = fiveMinuteTune();
    const TextConfig config;
    const NoteFrequencyTable hz = BuildNoteFrequencies(DefaultFrequencyTable());
    double audioSeconds = 0.0;
    double rendered = 0.0;
    const double cpuStart = processCpuSeconds();
    for (auto _ : state) {
        RenderResult r = renderTune(tune, config, hz, RenderOptions{});
        if (!r.ok()) {
            state.SkipWithError(r.message.c_str());
            return;
        }
        audioSeconds = static_cast<double>(r.sampleCount) / kSampleRate;
        rendered += audioSeconds;
        benchmark::DoNotOptimize(r.pcm.data());
    }
    const double ours = rendered / (processCpuSeconds() - cpuStart);
    state.counters["audio_s"] = audioSeconds;
    state.counters["audio_s_per_cpu_s"] = ours;

    const double sox = soxAudioSecondsPerCpuSecond(audioSeconds);
    if (sox <= 0.0) return;
    state.counters["sox_audio_s_per_cpu_s"] = sox;
    state.counters["ratio_to_sox"] = ours / sox;
    std::fprintf(stderr, "renderTune %.0f audio s per CPU s, sox %.0f: %.1f times as fast\n", ours,
                 sox, ours / sox);
}

// sox's speed for the same length, measured once per run; 0 without sox.
double soxAudioSecondsPerCpuSecond(double audioSeconds)
{
    static double measured = -1.0;
    if (measured >= 0.0) return measured;
    measured = 0.0;
    if (std::system("command -v sox >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "sox is not installed: no comparison\n");
        return measured;
    }
    const auto out = std::filesystem::temp_directory_path() / "qte_render_bench_sox.wav";
    char command[512];
    std::snprintf(command, sizeof command,
                  "sox -n -r 44100 -b 8 -c 1 '%s' synth %.6f square 440 2>/dev/null", out.c_str(),
                  audioSeconds);
    constexpr int kSoxRuns = 3;
    const double before = childCpuSeconds();
    for (int i = 0; i < kSoxRuns; ++i) {
        if (std::system(command) != 0) {
            std::fprintf(stderr, "sox failed: no comparison\n");
            return measured;
        }
    }
    const double soxCpu = (childCpuSeconds() - before) / kSoxRuns;
    std::filesystem::remove(out);
    measured = audioSeconds / soxCpu;
    return measured;
}

BENCHMARK(BM_RenderFiveMinutes)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace
