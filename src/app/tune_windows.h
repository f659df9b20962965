#pragma once
// The "Ringdata view" and "Tunes in Ringdata" windows in the running
// editor: their mouse, their scroll bars, the note, pause and text strips
// of a right click on a text line, loading a tune of the catalogue, and
// the text following the play clock.

#include "platform/dialogs.h"
#include "platform/scroll.h"
#include "platform/window.h"

#include <cstdint>
#include <string_view>

namespace qte {

struct EditorContext;

// Ringdata view. The clicks act on the line under the last mouse move.
void ringdataMouseMove(EditorContext& ctx, int x, int y);
void ringdataLeftDown(EditorContext& ctx);
// Opens the strip of the note, pause or free-text line under the mouse and
// applies it (an emptied text is removed); nothing while the tune plays or on any other line.
void ringdataRightDown(EditorContext& ctx);
void ringdataScroll(EditorContext& ctx, ScrollBar bar, ScrollCode code, std::int32_t position);
// Wheel notches, up away from the user: lines up and down, columns with
// Shift or a sideways turn; linesPerNotch lines or columns a notch.
void ringdataWheel(EditorContext& ctx, int up, int left, bool shift, int linesPerNotch);

// The OKs of the strips: a refused value is shown with the range allowed
// and false returned; the tune is then unchanged.
bool applyNoteEdit(EditorContext& ctx, std::int32_t line, std::int32_t noteIndex,
                   const NoteDialogFields& fields);
bool applyPauseEdit(EditorContext& ctx, std::int32_t line, std::string_view field);

// While the tune plays, the line of the sounding note is shown in the
// selected colour and scrolled into view; afterwards the colour goes.
void followPlayLine(EditorContext& ctx);

// Tunes in Ringdata.
void catalogueMouseMove(EditorContext& ctx, int x, int y);
// Loads the tune of the row under the mouse, stopping playback first.
void catalogueLeftDown(EditorContext& ctx);
void catalogueScroll(EditorContext& ctx, ScrollCode code, std::int32_t position);
void catalogueWheel(EditorContext& ctx, int up, int linesPerNotch);

// Loads catalogue entry n (1-based) from the Ringdata.h it was listed from.
// When the file can no longer be read, or no longer holds that definition
// where it was listed, this is reported and the tune is kept. Returns
// whether the tune was replaced.
bool loadCatalogueEntry(EditorContext& ctx, std::int32_t n);

} // namespace qte
