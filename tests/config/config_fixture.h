#pragma once
// The text configuration of resources/config.cfg and the note names, written
// out by hand so that the readers' tests do not depend on the config reader.

#include <string_view>

#include "config/text_config.h"

namespace qte::test {

inline TextConfig exampleTextConfig()
{
    return {.noteNamePrefix = {"AUD_NOTE", "RING_NOTE"},
            .noteNamePrefixCount = 2,
            .vibraOnText = "VIBRA_ON,",
            .vibraOffText = "VIBRA_OFF,",
            .repeatOpenText = "REPEAT_BEGIN(",
            .repeatCloseText = "REPEAT_END,",
            .politeMarkerText = "/*POLITE*/",
            .headerLines = {"/* *Name* (*ID*) */", "static TONE tone_*name*[] =", "{"},
            .headerLineCount = 3,
            .footerLines = {"};"},
            .footerLineCount = 1,
            .defaultStartLines = {"VOLUME_SET(AUD_VOLUME_RING),"},
            .defaultStartLineCount = 1,
            .defaultEndLines = {"VOLUME_RESTORE,"},
            .defaultEndLineCount = 1,
            .customNoteFreq = {1480, 1975, 2960},
            .customNoteName = {"AUD_TONE_FS6", "AUD_TONE_B6", "AUD_TONE_FS7"},
            .customNoteCount = 3};
}

inline NoteNameTable exampleNoteNames()
{
    static constexpr std::string_view kNames[] = {
        "_A,",   "_B,",   "_H,",  "_C,",   "_Db,", "_D,",   "_Eb,",  "_E,",  "_F,",   "_Gb,",
        "_G,",   "_A2b,", "_A2,", "_B2,",  "_H2,", "_C2,",  "_D2b,", "_D2,", "_E2b,", "_E2,",
        "_F2,",  "_G2b,", "_G2,", "_A3b,", "_A3,", "_B3,",  "_H3,",  "_C3,", "_D3b,", "_D3,",
        "_E3b,", "_E3,",  "_F3,", "_G3b,", "_G3,", "_A4b,", "_A4,",  "_B4,", "_H4,",  "_C4,",
    };
    NoteNameTable t;
    t.fill("_UNK");
    for (int p = 69; p <= 108; ++p)
        t[static_cast<std::size_t>(p)] = kNames[p - 69];
    return t;
}

} // namespace qte::test
