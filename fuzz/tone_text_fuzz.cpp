// Reads arbitrary bytes as a single-tone file (tone-text parsing) with the
// text configuration of our config.cfg, twice with one parser state, the
// way the editor opens files one after the other, and writes what it read
// as tone text again.
#include "tune/ringdata_file.h"
#include "tune/tone_fixture.h"
#include "tune/tone_generator.h"
#include "tune_checks.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const qte::TextConfig config = qte::test::exampleTextConfig();
    static const qte::NoteNameTable names = qte::test::exampleNoteNames();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    qte::ParserState state;
    auto tune = std::make_unique<qte::Tune>();
    for (int pass = 0; pass < 2; ++pass) {
        (void)qte::LoadToneFile(*tune, bytes, state, config, names);
        qte::fuzz::checkTune(*tune);
        QTE_FUZZ_CHECK(tune->noteNameSet >= 0 && tune->noteNameSet < config.noteNamePrefixCount);
        QTE_FUZZ_CHECK(state.noteTimeMs > 0);
        qte::fuzz::checkToneText(
            qte::GenerateToneText(*tune, config, names, {pass == 0, pass == 1}).text);
    }
    return 0;
}
