#pragma once
// A tune as the undo history keeps it: the header and only the used part of
// each list, so that a step of a short tune costs little and a step of a
// 999-note tune costs about 36 kB instead of the whole fixed-size record.

#include "tune/tune.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qte {

struct TuneSnapshot {
    std::string toneName;
    std::string toneId;
    std::int32_t tempoBpm = kDefaultTempoBpm;
    float msPerUnit = 7500.0f / kDefaultTempoBpm;
    std::int32_t noteNameSet = 0;
    // Records 0..count of each list: the scratch record is kept too, since
    // the snap of the next drawn note reads it.
    std::vector<NoteRecord> notes;
    std::vector<VibraRecord> vibras;
    std::vector<RepeatRecord> repeats;
    std::vector<TextRecord> texts;
    FreqDefineTable freqDefineTable{};
    std::int32_t freqDefineCount = 0;
    std::int32_t politeDefined = 0;
    std::int32_t politeFirstNote = 0;
    std::int32_t politeLastNote = 0;
    std::int32_t politeNoteCount = 0;
    std::int32_t tailMs = 0;
    std::int32_t selectionMode = 0;
};

// Copies the tune into snapshot, reusing its storage.
void TakeSnapshot(const Tune& tune, TuneSnapshot& snapshot);
[[nodiscard]] TuneSnapshot SnapshotOf(const Tune& tune);
// Puts the snapshot back: the tune is then equal to the one it was taken
// of, in everything a list's count reaches.
void RestoreSnapshot(const TuneSnapshot& snapshot, Tune& tune);

// Whether the two hold the same tune as a file would: the header, the items
// and what is derived from the texts. The selection, the scratch records,
// playback's working fields (politeNoteCount among them) and tailMs do not
// count.
[[nodiscard]] bool SameContent(const Tune& tune, const TuneSnapshot& snapshot);
[[nodiscard]] bool SameContent(const Tune& a, const Tune& b);
// Whether the same notes are selected, in the same selection mode.
[[nodiscard]] bool SameSelection(const Tune& tune, const TuneSnapshot& snapshot);

// The heap memory the snapshot holds.
[[nodiscard]] std::size_t SnapshotBytes(const TuneSnapshot& snapshot);

} // namespace qte
