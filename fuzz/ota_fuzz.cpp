// Reads arbitrary bytes as an OTA ringing tone. A failed import leaves the
// tune alone; a successful one gives notes in time order within the table
// that can be exported and read back.
#include "formats/ota.h"
#include "sound/tempo.h"
#include "tune/tune.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <memory>

// Names the broken invariant before stopping, so a crash report says which.
#define check(cond)                                                                                \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "invariant broken: %s\n", #cond);                                 \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Every style mode, so the note length follows each rule once the tempo
    // is taken; the byte count picks it to keep the input as the only input.
    const auto styleMode = static_cast<std::int32_t>(size % 4);
    auto tune = std::make_unique<qte::Tune>();
    qte::NoteLengthState length;
    const qte::FormatResult r = qte::ImportOta(bytes, *tune, length, styleMode);
    if (!r.ok()) {
        check(tune->noteCount == 0 && tune->tempoBpm == qte::kDefaultTempoBpm);
        return 0;
    }
    check(tune->noteCount >= 0 && tune->noteCount <= qte::kMaxNotes);
    check(std::find(qte::kOtaTempoTable.begin(), qte::kOtaTempoTable.end(), tune->tempoBpm) !=
          qte::kOtaTempoTable.end());
    for (int i = 1; i <= tune->noteCount; ++i) {
        const qte::NoteRecord& n = tune->noteTable[i];
        check(n.pitch >= 60 && n.pitch <= 15 + 59 + 36);
        check(n.endUnits >= n.startUnits && n.durationMs >= 0);
        check(n.startMs <= n.endMs);
        // A natural note shorter than 20 ms still sounds 20 ms, into the
        // next note's slot, so only the starts are ordered.
        if (i > 1) check(n.startUnits >= tune->noteTable[i - 1].startUnits);
    }
    const qte::ExportResult out = qte::ExportOta(*tune);
    if (out.ok()) {
        auto again = std::make_unique<qte::Tune>();
        check(qte::ImportOta(out.bytes, *again).ok());
        check(again->noteCount <= tune->noteCount);
    }
    return 0;
}
