#pragma once
// The opened Ringdata.h as a workspace: a tune loaded from "Tunes in
// Ringdata" saved back into its own definition, the tune added as a new
// definition, a definition removed. Every other byte of the file stays as
// it was. Nothing is written when the file changed on disk since it was
// scanned, and a failed write leaves it as it was.

namespace qte {

struct EditorContext;

// Whether "Save" writes the tune back into the definition it was loaded
// from: it came from the catalogue of the Ringdata.h that is open now.
[[nodiscard]] bool savesIntoRingdata(const EditorContext& ctx);

// "Save" of such a tune. Returns whether it was written; the catalogue is
// then scanned again and the tune holds nothing unsaved.
bool saveIntoRingdata(EditorContext& ctx);

// "Add to Ringdata.h": the tune as a new definition after the last one,
// named by config.cfg's header from the tone name. The tune is then the
// one the catalogue marks, and "Save" writes into it.
bool addToRingdata(EditorContext& ctx);

// "Remove from Ringdata.h": asks, then takes out the definition the tune
// was loaded from. The tune stays in the editor.
bool removeFromRingdata(EditorContext& ctx);

// Reads the opened Ringdata.h again, keeping the catalogue's scroll
// position; the tune keeps its mark when its definition is still there.
bool rescanRingdata(EditorContext& ctx);

// After the catalogue was scanned again: the tune keeps its mark on the
// definition of its name, or loses it when the file no longer has one.
void followLoadedEntry(EditorContext& ctx);

void addToRingdataCommand(EditorContext& ctx);
void removeFromRingdataCommand(EditorContext& ctx);

} // namespace qte
