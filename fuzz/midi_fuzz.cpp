// Reads arbitrary bytes as a Standard MIDI File. A failed import leaves the
// tune alone and the line list agrees that the file cannot be read; a
// successful one gives one line of ordered, non-overlapping notes inside
// the table, and its export reads back with the same notes.
#include "formats/midi_file.h"
#include "tune/tempo.h"
#include "tune/tune.h"
#include "tune_checks.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const qte::MidiLines lines = qte::ListMidiLines(bytes);
    // The byte count picks a line now and then, to keep the input as the
    // only input.
    qte::MidiLineChoice choice;
    if (size % 3 == 1) choice.track = static_cast<int>(size / 3 % 4) + 1;
    if (size % 5 == 2) choice.channel = static_cast<int>(size / 5 % 16) + 1;
    auto tune = std::make_unique<qte::Tune>();
    qte::NoteLengthState length;
    const qte::FormatResult r =
        qte::ImportMidi(bytes, *tune, length, static_cast<std::int32_t>(size % 4), choice);
    if (!r.ok()) {
        QTE_FUZZ_CHECK(tune->noteCount == 0 && tune->tempoBpm == qte::kDefaultTempoBpm);
        QTE_FUZZ_CHECK(tune->toneName == "Undefined");
        return 0;
    }
    QTE_FUZZ_CHECK(lines.ok());
    qte::fuzz::checkTune(*tune);
    QTE_FUZZ_CHECK(qte::isValidTempo(tune->tempoBpm));
    for (int i = 1; i <= tune->noteCount; ++i) {
        const qte::NoteRecord& n = tune->noteTable[i];
        QTE_FUZZ_CHECK(n.startUnits >= tune->noteTable[i - 1].endUnits || i == 1);
        QTE_FUZZ_CHECK(n.startMs >= tune->noteTable[i - 1].endMs || i == 1);
    }
    const qte::ExportResult out = qte::ExportMidi(*tune);
    QTE_FUZZ_CHECK(out.ok());
    auto again = std::make_unique<qte::Tune>();
    // Notes shorter than a tick of the written file are left out, so the
    // file read back may hold none.
    const qte::FormatResult back = qte::ImportMidi(out.bytes, *again);
    if (back.ok()) {
        qte::fuzz::checkTune(*again);
        QTE_FUZZ_CHECK(again->noteCount <= tune->noteCount);
    }
    return 0;
}
