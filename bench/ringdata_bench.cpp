// Catalogue scan speed: a Ringdata.h of 20 MB with 999 tone definitions,
// scanned in MB/s next to reading the same file line by line with
// std::getline and doing nothing with the lines.

#include "io/files.h"
#include "tune/ringdata_file.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace qte;

constexpr std::size_t kFileBytes = 20u * 1000u * 1000u;
constexpr int kDefinitions = kMaxCatalogueTunes;

std::string generatedRingdata()
{
    static const char* const kNames[] = {"_A,", "_C2,", "_E2,", "_G2,", "_H2,", "_D3,"};
    const std::size_t perDefinition = kFileBytes / kDefinitions;
    std::string out;
    out.reserve(kFileBytes + 4096);
    out += "/* Generated for the catalogue benchmark. */\n\n";
    for (int d = 1; d <= kDefinitions; ++d) {
        const std::size_t start = out.size();
        out += "/* Tune " + std::to_string(d) + " (T" + std::to_string(d) + ") */\n";
        out += "static TONE tone_bench" + std::to_string(d) + "[] =\n{\n";
        out += "        /*Tempo: 160bpm*/        \n";
        int i = 0;
        while (out.size() - start < perDefinition - 16) {
            if (i % 9 == 8) {
                out += "        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(93))\n";
            } else {
                out += "        TONE(AUD_NOTE";
                out += kNames[i % 6];
                out += " TONE_TIME_IN_MS(187))\n";
            }
            ++i;
        }
        out += "};\n";
    }
    return out;
}

// The generated file, written once to the temp folder.
const std::filesystem::path& benchFile()
{
    static const std::filesystem::path path = [] {
        const std::filesystem::path p = std::filesystem::temp_directory_path() /
                                        ("qte-ringdata-bench-" + std::to_string(::getpid()) + ".h");
        std::ofstream(p, std::ios::binary) << generatedRingdata();
        return p;
    }();
    return path;
}

struct RemoveBenchFile {
    ~RemoveBenchFile()
    {
        std::error_code ec;
        std::filesystem::remove(benchFile(), ec);
    }
} removeBenchFile;

void setMegabytes(benchmark::State& state)
{
    const double mb = static_cast<double>(std::filesystem::file_size(benchFile())) / 1e6;
    state.counters["MB/s"] = benchmark::Counter(mb, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ScanRingdataFile(benchmark::State& state)
{
    auto catalogue = std::make_unique<TuneCatalogue>();
    for (auto _ : state) {
        const ToneTextResult r = ScanRingdataFile(benchFile(), *catalogue);
        benchmark::DoNotOptimize(r);
        if (catalogue->tuneCount != kDefinitions) state.SkipWithError("wrong tune count");
    }
    setMegabytes(state);
}
BENCHMARK(BM_ScanRingdataFile)->Unit(benchmark::kMillisecond);

void BM_GetlineBaseline(benchmark::State& state)
{
    for (auto _ : state) {
        std::ifstream in(benchFile(), std::ios::binary);
        std::string line;
        while (std::getline(in, line))
            benchmark::DoNotOptimize(line);
    }
    setMegabytes(state);
}
BENCHMARK(BM_GetlineBaseline)->Unit(benchmark::kMillisecond);

// The two halves of the file scan: the scan over bytes in memory, and
// reading the file.
void BM_ScanRingdataBytes(benchmark::State& state)
{
    const std::string bytes = generatedRingdata();
    auto catalogue = std::make_unique<TuneCatalogue>();
    for (auto _ : state) {
        const ToneTextResult r = ScanRingdataFile(std::string_view(bytes), *catalogue);
        benchmark::DoNotOptimize(r);
    }
    setMegabytes(state);
}
BENCHMARK(BM_ScanRingdataBytes)->Unit(benchmark::kMillisecond);

void BM_ReadWholeFile(benchmark::State& state)
{
    for (auto _ : state) {
        auto r = readWholeFile(benchFile());
        benchmark::DoNotOptimize(r);
    }
    setMegabytes(state);
}
BENCHMARK(BM_ReadWholeFile)->Unit(benchmark::kMillisecond);

} // namespace
