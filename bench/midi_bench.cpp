// Reading a Standard MIDI File of the size composers deliver: 1 MB of
// format 1, sixteen tracks of notes on their own channels, with tempo
// changes, running status and the other events a sequencer writes.

#include "formats/midi_bytes.h"
#include "formats/midi_file.h"
#include "tune/tune.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace qte;

constexpr std::size_t kTargetBytes = 1u << 20;
constexpr int kTracks = 16;

std::string megabyteFile()
{
    std::vector<test::MidiTrackBytes> tracks(kTracks);
    tracks[0].name("Song").tempo(0, 500000);
    for (int t = 1; t < kTracks; ++t)
        tracks[static_cast<std::size_t>(t)]
            .name("Track " + std::to_string(t))
            .event(0, test::midiBytes({0xC0 | t, t}));
    std::string file;
    for (int step = 0; file.size() < kTargetBytes; ++step) {
        for (int t = 1; t < kTracks; ++t) {
            test::MidiTrackBytes& track = tracks[static_cast<std::size_t>(t)];
            const int key = 36 + (step * 7 + t * 5) % 60;
            // A note-on, its note-off by running status, a controller; a
            // chord now and then.
            track.on(0, key, t, 90)
                .event(24, test::midiBytes({key, 0}))
                .event(0, test::midiBytes({0xB0 | t, 7, 100}));
            if (step % 16 == 0) track.on(0, key + 4, t).off(24, key + 4, t);
        }
        if (step % 64 == 0) tracks[0].tempo(24 * 64, 400000 + (step % 5) * 50000);
        if (step % 256 == 0) file = test::midiFile(1, 96, tracks);
    }
    return test::midiFile(1, 96, tracks);
}

void BM_ImportMidiMegabyte(benchmark::State& state)
{
    const std::string file = megabyteFile();
    auto tune = std::make_unique<Tune>();
    for (auto _ : state) {
        const FormatResult r = ImportMidi(file, *tune);
        if (!r.ok()) state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(tune->noteCount);
    }
    state.counters["file_bytes"] = static_cast<double>(file.size());
    state.counters["tracks"] = kTracks;
}
BENCHMARK(BM_ImportMidiMegabyte)->Unit(benchmark::kMillisecond);

} // namespace
