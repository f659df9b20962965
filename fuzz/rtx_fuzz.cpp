// Reads arbitrary bytes as an RTX ringing tone. A failed import leaves the
// tune alone; a successful one gives ordered notes inside the table and the
// note tables' pitches, and its export reads back.
#include "formats/rtx.h"
#include "tune/tempo.h"
#include "tune/tune.h"
#include "tune_checks.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
    // The byte count picks the settings, to keep the input as the only input.
    const auto styleMode = static_cast<std::int32_t>(size % 4);
    const bool keepNatural = (size / 4) % 2 == 1;
    auto tune = std::make_unique<qte::Tune>();
    qte::NoteLengthState length;
    const qte::FormatResult r = qte::ImportRtx(bytes, *tune, length, styleMode, keepNatural);
    if (!r.ok()) {
        check(tune->noteCount == 0 && tune->tempoBpm == qte::kDefaultTempoBpm);
        check(tune->toneName == "Undefined");
        return 0;
    }
    qte::fuzz::checkTune(*tune);
    check(length.newNoteUnits > 0.0f);
    check(tune->tempoBpm > 0);
    check(tune->toneName.size() <= qte::kMaxNameChars);
    for (int i = 1; i <= tune->noteCount; ++i) {
        const qte::NoteRecord& n = tune->noteTable[i];
        check(n.pitch >= 0 && n.pitch <= 127);
        check(n.endUnits >= n.startUnits);
        check(n.startUnits >= tune->noteTable[i - 1].endUnits);
    }
    const qte::ExportResult out = qte::ExportRtx(*tune);
    if (out.ok()) {
        auto again = std::make_unique<qte::Tune>();
        check(qte::ImportRtx(out.bytes, *again).ok());
        qte::fuzz::checkTune(*again);
        check(again->tempoBpm == tune->tempoBpm);
    }
    return 0;
}
