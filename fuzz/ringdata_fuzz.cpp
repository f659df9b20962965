// Scans arbitrary bytes as a Ringdata.h and loads every tune of the
// catalogue, one parser state for the whole file as in the editor.
#include "tune/ringdata_file.h"
#include "tune/tone_fixture.h"
#include "tune_checks.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const qte::TextConfig config = qte::test::exampleTextConfig();
    static const qte::NoteNameTable names = qte::test::exampleNoteNames();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    auto catalogue = std::make_unique<qte::TuneCatalogue>();
    (void)qte::ScanRingdataFile(bytes, *catalogue);
    QTE_FUZZ_CHECK(catalogue->tuneCount >= 0 && catalogue->tuneCount <= qte::kMaxCatalogueTunes);
    qte::ParserState state;
    auto tune = std::make_unique<qte::Tune>();
    for (int n = 1; n <= catalogue->tuneCount; ++n) {
        const qte::CatalogueEntry& e = catalogue->entries[static_cast<std::size_t>(n)];
        QTE_FUZZ_CHECK(e.firstLine >= 1 && e.lastLine >= e.firstLine);
        if (n > 1) QTE_FUZZ_CHECK(e.firstLine > catalogue->entries[n - 1].lastLine);
        QTE_FUZZ_CHECK(e.name.size() <= qte::kMaxNameChars);
        // Every listed tune loads; a parse that stops early still names why.
        const qte::ToneTextResult r =
            qte::LoadCatalogueTune(*tune, *catalogue, n, bytes, state, config, names);
        // Only the parse itself may fail, at a line it names.
        QTE_FUZZ_CHECK(r.ok() || r.error.rfind("Line ", 0) == 0);
        qte::fuzz::checkTune(*tune);
    }
    return 0;
}
