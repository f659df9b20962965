#pragma once
// The File menu: opening a tune file of any kind, saving, reverting. A
// failed open or save says which file and why, and leaves the tune in
// memory as it was.

#include "platform/file_dialogs.h"
#include "tune/tune.h"

#include <string>
#include <string_view>
#include <vector>

namespace qte {

struct EditorContext;

struct FileKindInfo {
    FileKind kind = FileKind::None;
    FileFilter openFilter; // as "Open ringing tone" lists it
    FileFilter saveFilter; // as "Save as..." lists it
};

[[nodiscard]] const FileKindInfo& fileKindInfo(FileKind kind);

// Kinds this editor can read or write, in filter order. The file dialogs
// list only these; the filter index is mapped back through the same list.
[[nodiscard]] std::vector<FileKind> openableKinds();
[[nodiscard]] std::vector<FileKind> savableKinds();
[[nodiscard]] bool canOpen(FileKind kind);
[[nodiscard]] bool canSave(FileKind kind);

// Appends ext when the path holds no "." anywhere (a dot in a folder name
// counts too).
void appendExtension(std::string& path, const char* ext);

// The kind a chosen file is read or written as: the one its extension names
// when the editor can read (or write) that kind, else the dialog's filter.
[[nodiscard]] FileKind kindToOpen(const std::string& path, FileKind filterKind);
[[nodiscard]] FileKind kindToSave(const std::string& path, FileKind filterKind);

// What the Save as dialog starts with: the folder of the last file, the
// tune's name as the file name.
[[nodiscard]] std::string saveAsStartPath(const EditorContext& ctx);

// Opens a tune file as "Open ringing tone" does once the dialog is closed:
// the tune, its file and kind and its source name are replaced only when
// the file was read, and its history starts again. A MIDI file with several
// melody lines first asks which one; Cancel leaves everything as it was.
// Returns whether it was read.
bool openTuneFile(EditorContext& ctx, const std::string& path, FileKind kind);

// Writes the tune with the writer of kind. A tone text that cannot name some
// notes asks first. Reports a failure and returns false; true once written.
bool writeTuneFile(EditorContext& ctx, const std::string& path, FileKind kind);

// "Save" and "Save as...": true once the tune was written.
bool saveTune(EditorContext& ctx);
bool saveTuneAs(EditorContext& ctx);

// Asked before an action drops unsaved changes: the question and title are
// the action's, the answers Save, Discard and Cancel (OK and Cancel without
// offerSave). Nothing is asked when nothing would be lost. Returns whether
// the action may go on: discarded, or saved first.
bool confirmDiscard(EditorContext& ctx, std::string_view question, std::string_view title,
                    bool offerSave = true);

// "Open Ringdata.h" once the dialog is closed: the catalogue, the file and
// its title are replaced only when the file was read.
bool openRingdataFile(EditorContext& ctx, const std::string& path);

void openRingingToneCommand(EditorContext& ctx);
void openRingdataCommand(EditorContext& ctx);
void saveCommand(EditorContext& ctx);
void saveAsCommand(EditorContext& ctx);
void revertCommand(EditorContext& ctx);

} // namespace qte
