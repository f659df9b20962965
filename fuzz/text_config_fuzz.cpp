// Reads arbitrary bytes as config.cfg, puts a long name into its header
// and writes a tune with it: every field within its capacity, every line of
// the text within a stored line.
#include "config/text_config.h"
#include "tune/random_tune.h"
#include "tune/tone_generator.h"
#include "tune_checks.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qte;
    static const std::unique_ptr<Tune> tune = [] {
        std::mt19937 rng(3);
        return std::make_unique<Tune>(test::randomTune(rng, {80, kMaxCustomNotes, "/*P*/"}));
    }();
    static const NoteNameTable names = BuildNoteNameTable();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    auto config = std::make_unique<TextConfig>();
    (void)LoadTextConfig(*config, bytes);
    const TextConfig& c = *config;
    QTE_FUZZ_CHECK(c.noteNamePrefixCount >= 0 && c.noteNamePrefixCount <= kMaxPrefixes);
    QTE_FUZZ_CHECK(c.headerLineCount >= -1 && c.headerLineCount <= kMaxHeaderLines);
    QTE_FUZZ_CHECK(c.footerLineCount >= -1 && c.footerLineCount <= kMaxFooterLines);
    QTE_FUZZ_CHECK(c.defaultStartLineCount >= -1 && c.defaultStartLineCount <= kMaxDefaultLines);
    QTE_FUZZ_CHECK(c.defaultEndLineCount >= -1 && c.defaultEndLineCount <= kMaxDefaultLines);
    QTE_FUZZ_CHECK(c.customNoteCount >= -1 && c.customNoteCount <= kMaxCustomNotes);
    for (const std::string& p : c.noteNamePrefix)
        QTE_FUZZ_CHECK(p.size() <= kMaxPrefixChars);
    for (const std::string* t : {&c.vibraOnText, &c.vibraOffText, &c.repeatOpenText,
                                 &c.repeatCloseText, &c.politeMarkerText})
        QTE_FUZZ_CHECK(t->size() <= kMaxMarkerChars);
    for (const std::string& l : c.footerLines)
        QTE_FUZZ_CHECK(l.size() <= kMaxFooterChars);
    for (const std::string& n : c.customNoteName)
        QTE_FUZZ_CHECK(n.size() <= kMaxCustomNameChars);

    // Names read back from any lines, against the header as the file has
    // it, come from those lines.
    std::vector<std::string_view> lines(c.footerLines.begin(), c.footerLines.end());
    lines.insert(lines.end(), c.defaultStartLines.begin(), c.defaultStartLines.end());
    const HeaderNames back = RecoverHeaderNames(c, lines);
    QTE_FUZZ_CHECK(back.toneName.size() <= kMaxHeaderChars);
    QTE_FUZZ_CHECK(back.toneId.size() <= kMaxHeaderChars);

    SubstituteHeaderPlaceholders(*config, std::string(kMaxNameChars, 'N'), "ID");
    for (const std::string& l : c.headerLines)
        QTE_FUZZ_CHECK(l.size() <= kMaxHeaderChars);

    Tune copy = *tune;
    fuzz::checkToneText(GenerateToneText(copy, c, names, {true, true}).text);
    return 0;
}
