// Reads arbitrary bytes as an iMelody file. A failed import leaves the tune
// alone; a successful one gives notes, vibra segments and repeat blocks in
// order inside their lists, and its export reads back with as many notes.
#include "formats/imelody.h"
#include "tune/tempo.h"
#include "tune/tune.h"
#include "tune/tune_edit.h"
#include "tune_checks.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto tune = std::make_unique<qte::Tune>();
    qte::NoteLengthState length;
    const qte::FormatResult r =
        qte::ImportIMelody(bytes, *tune, length, static_cast<std::int32_t>(size % 4));
    if (!r.ok()) {
        QTE_FUZZ_CHECK(tune->noteCount == 0 && tune->tempoBpm == qte::kDefaultTempoBpm);
        QTE_FUZZ_CHECK(tune->toneName == "Undefined");
        return 0;
    }
    qte::fuzz::checkTune(*tune);
    for (int i = 1; i <= tune->noteCount; ++i) {
        const qte::NoteRecord& n = tune->noteTable[i];
        QTE_FUZZ_CHECK(n.pitch >= qte::kIMelodyLowestPitch);
        QTE_FUZZ_CHECK(i == 1 || n.startUnits >= tune->noteTable[i - 1].endUnits);
    }
    for (int i = 1; i <= tune->repeatCount; ++i) {
        const qte::RepeatRecord& b = tune->repeatList[i];
        QTE_FUZZ_CHECK(b.repetitions >= qte::kMinRepetitions &&
                       b.repetitions <= qte::kMaxRepetitions);
        QTE_FUZZ_CHECK(b.endUnits > b.startUnits);
    }
    const qte::ExportResult out = qte::ExportIMelody(*tune);
    QTE_FUZZ_CHECK(out.ok());
    auto again = std::make_unique<qte::Tune>();
    QTE_FUZZ_CHECK(qte::ImportIMelody(out.bytes, *again).ok());
    qte::fuzz::checkTune(*again);
    QTE_FUZZ_CHECK(again->repeatCount <= tune->repeatCount);
    return 0;
}
