// Catalogue scan speed: a Ringdata.h of 20 MB with 999 tone definitions,
// scanned in MB/s next to reading the same file line by line with
// std::getline and doing nothing with the lines. And putting a 999-note tune
// into that file, as tunetool put does, next to copying the file.

#include "io/file_store.h"
#include "io/files.h"
#include "tune/ringdata_edit.h"
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

// A definition of 999 notes: with its "};" the 1000 lines after "{" that a
// reader takes. (The generator's text, header included, holds fewer; the
// bytes are what put writes either way.)
std::string definitionOf999Notes(const std::string& name)
{
    static const char* const kNames[] = {"_A,", "_C2,", "_E2,", "_G2,", "_H2,", "_D3,"};
    std::string text = "static TONE " + name + "[] =\n{\n";
    for (int i = 0; i < kMaxNotes; ++i) {
        text += "        TONE(AUD_NOTE";
        text += kNames[i % 6];
        text += " TONE_TIME_IN_MS(93))\n";
    }
    return text + "};\n";
}

// A copy of the bench file to write into, beside it.
struct Target {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("qte-put-bench-" + std::to_string(::getpid()) + ".h");
    Target() { std::filesystem::copy_file(benchFile(), path); }
    ~Target()
    {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;
};

// Read, scan, replace the middle definition, write atomically: the whole of
// a put. The first run makes the file the one every later run writes.
void BM_PutTuneIntoRingdata(benchmark::State& state)
{
    const Target target;
    const std::string definition = definitionOf999Notes("tone_bench500");
    DiskFileStore disk;
    auto catalogue = std::make_unique<TuneCatalogue>();
    for (auto _ : state) {
        const AppliedEdit applied =
            ApplyRingdataEdit(disk, target.path, nullptr, [&](std::string bytes) {
                (void)ScanRingdataFile(bytes, *catalogue);
                const DefinitionText text = DefinitionFromText(definition);
                return ReplaceDefinition(std::move(bytes), *catalogue,
                                         FindDefinition(*catalogue, text.name), text, {});
            });
        if (applied.outcome != EditOutcome::Written) state.SkipWithError(applied.message.c_str());
    }
    if (catalogue->tuneCount != kDefinitions) state.SkipWithError("wrong tune count");
    setMegabytes(state);
}
BENCHMARK(BM_PutTuneIntoRingdata)->Unit(benchmark::kMillisecond);

// The same file copied the way every save writes: read whole, written to a
// temporary file, flushed and renamed.
void BM_CopyRingdataFile(benchmark::State& state)
{
    const Target target;
    for (auto _ : state) {
        const FileReadResult file = readWholeFile(benchFile());
        if (!file.bytes || writeFileAtomically(target.path, *file.bytes))
            state.SkipWithError("copy failed");
    }
    setMegabytes(state);
}
BENCHMARK(BM_CopyRingdataFile)->Unit(benchmark::kMillisecond);

// The file system's own copy, no flush: the least a copy can cost.
void BM_CopyFileSystem(benchmark::State& state)
{
    const Target target;
    for (auto _ : state)
        std::filesystem::copy_file(benchFile(), target.path,
                                   std::filesystem::copy_options::overwrite_existing);
    setMegabytes(state);
}
BENCHMARK(BM_CopyFileSystem)->Unit(benchmark::kMillisecond);

} // namespace
