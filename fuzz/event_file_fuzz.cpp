// Reads arbitrary bytes as an event file. A failed import leaves the tune
// alone; a successful one gives ordered notes inside the table and the note
// tables' pitches, and its export reads back.
#include "formats/event_file.h"
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
    auto tune = std::make_unique<qte::Tune>();
    const qte::FormatResult r = qte::ImportEvt(bytes, *tune);
    if (!r.ok()) {
        check(tune->noteCount == 0);
        return 0;
    }
    qte::fuzz::checkTune(*tune);
    for (int i = 1; i <= tune->noteCount; ++i) {
        const qte::NoteRecord& n = tune->noteTable[i];
        check(n.pitch >= qte::kEvtLowestPitch && n.pitch <= qte::kEvtHighestPitch);
        check(n.durationMs >= 0 && n.endMs == n.startMs + n.durationMs);
        check(n.startMs >= tune->noteTable[i - 1].endMs);
    }
    const qte::ExportResult out = qte::ExportEvt(*tune);
    check(out.ok() && out.warnings.empty());
    auto again = std::make_unique<qte::Tune>();
    check(qte::ImportEvt(out.bytes, *again).ok());
    qte::fuzz::checkTune(*again);
    // Events keep their order and codes through a write and a read.
    check(again->noteCount == tune->noteCount);
    for (int i = 1; i <= tune->noteCount; ++i)
        check(again->noteTable[i].pitch == tune->noteTable[i].pitch);
    return 0;
}
