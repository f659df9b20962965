#pragma once
// Notes heard while the tune is edited, as in every piano roll: a key of
// the key strip clicked, a note drawn, a moved note dropped on a new pitch.
// They go to a wave-out device of their own, so an audition never resets,
// ends or pauses a play, and a play never cuts an audition short.

#include <cstdint>

namespace qte {

struct EditorContext;
struct NoteRecord;

// How long a note sounds when it is auditioned.
constexpr std::int32_t kAuditionMs = 300;

// Opens the audition device at start-up; without it the editor runs on
// silently (the play device already told the user of a missing output).
void openAudition(EditorContext& ctx);
void closeAudition(EditorContext& ctx);

// Sounds the note once, at its frequency, when "Sound notes while editing"
// is on; cuts short an audition still sounding.
void auditionNote(EditorContext& ctx, const NoteRecord& note);

} // namespace qte
