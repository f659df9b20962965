// Reads arbitrary bytes as an OTA ringing tone. A failed import leaves the
// tune alone; a successful one gives notes in time order within the table
// that can be exported and read back.
#include "formats/ota.h"
#include "tune/tempo.h"
#include "tune_checks.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

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
        QTE_FUZZ_CHECK(tune->noteCount == 0 && tune->tempoBpm == qte::kDefaultTempoBpm);
        return 0;
    }
    // Notes may overlap: a natural note shorter than 20 ms still sounds
    // 20 ms, into the next note's slot. checkTune wants only starts in order.
    qte::fuzz::checkTune(*tune);
    QTE_FUZZ_CHECK(std::find(qte::kOtaTempoTable.begin(), qte::kOtaTempoTable.end(),
                             tune->tempoBpm) != qte::kOtaTempoTable.end());
    for (int i = 1; i <= tune->noteCount; ++i) {
        const qte::NoteRecord& n = tune->noteTable[i];
        QTE_FUZZ_CHECK(n.pitch >= 60 && n.pitch <= 15 + 59 + 36);
    }
    const qte::ExportResult out = qte::ExportOta(*tune);
    if (out.ok()) {
        auto again = std::make_unique<qte::Tune>();
        QTE_FUZZ_CHECK(qte::ImportOta(out.bytes, *again).ok());
        QTE_FUZZ_CHECK(again->noteCount <= tune->noteCount);
    }
    return 0;
}
