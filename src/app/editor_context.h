#pragma once
// Everything the editor holds, in one place: the records by value and the
// platform services by reference. Commands, windows and dialogs take it by
// reference; nothing else keeps state.

#include "config/config_folders.h"
#include "config/frequency_table.h"
#include "config/text_config.h"
#include "config/user_settings.h"
#include "io/files.h"
#include "matrix/matrix_context.h"
#include "matrix/matrix_edit.h"
#include "matrix/matrix_painter.h"
#include "matrix/matrix_view.h"
#include "playback/playback.h"
#include "tune/ringdata_file.h"
#include "tune/tempo.h"
#include "tune/tone_parser.h"
#include "tune/tone_text.h"
#include "tune/tune.h"
#include "tunewindows/catalogue_view.h"
#include "tunewindows/ringdata_view.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qte {

class FileDialogs;
class FileStore;
class MessageSink;
class ModalDialogs;
class TickClock;
class WaveOutDevice;
class Window;

// The three children, in the order of their control IDs 100, 101, 102.
enum class Child : int { MatrixEdit = 0, RingdataView = 1, TunesInRingdata = 2 };
constexpr int kChildCount = 3;

struct PlatformServices {
    MessageSink& messages;
    FileDialogs& fileDialogs;
    ModalDialogs& dialogs;
    FileStore& files;
    TickClock& tick;
    WaveOutDevice& waveOut;
    Window& mainWindow;
    std::array<Window*, kChildCount> children; // never null
};

struct EditorContext {
    explicit EditorContext(const PlatformServices& services) : platform(services) {}

    PlatformServices platform;

    Tune tune;
    ToneText toneText;
    TextConfig textConfig;
    NoteNameTable noteNames = BuildNoteNameTable();
    UserSettings settings;
    FrequencyTable frequencyTable = DefaultFrequencyTable();
    NoteFrequencyTable noteFrequencyHz = BuildNoteFrequencies(DefaultFrequencyTable());
    NoteLengthState noteLength;
    MatrixView matrixView;
    MatrixEditState matrixEdit;
    MatrixPainter matrixPainter;
    PlayInfo play; // what the Matrix shows of playback
    PlayState playState;
    // The button table the toolbar is drawn from; the window layer loads it.
    const Surface* buttonTable = nullptr;
    RingdataView ringdataView;
    CatalogueView catalogueView;
    std::int32_t followedNote = 0; // the sounding note the Ringdata view shows, 0 none

    std::filesystem::path startDirectory;
    // The shipped config.cfg and midihz.ini, read when the start directory
    // has none; empty for none.
    std::filesystem::path dataDirectory;
    // Whether the user was told that no config.cfg was found: once a run.
    bool toldNoConfig = false;
    TuneCatalogue catalogue;
    ParserState parserState;
    std::string ringdataPath;
    std::string ringdataTitle;
    // The shared file dialog record: every dialog starts with the last path.
    std::string dialogPath;
    // What the last generation warned of, so that the same cut is reported
    // once and not after every edit (also when its count changes).
    std::string toneTextWarning;

    std::int32_t newNoteKind = 0; // a NoteKind value for notes drawn next
    ModifierKeys keys;            // Shift and Ctrl held
    Child activeChild = Child::MatrixEdit;
    // Set by Exit once the user agreed; the window layer then closes.
    bool quitRequested = false;
    // Set by "Arrange windows"; the window layer then lays the children out.
    bool arrangeRequested = false;

    [[nodiscard]] Window& child(Child c) const { return *platform.children[static_cast<int>(c)]; }
    [[nodiscard]] std::filesystem::path startFile(const char* name) const
    {
        return startDirectory / name;
    }
    [[nodiscard]] ConfigFolders configFolders() const { return {startDirectory, dataDirectory}; }
};

// Sets the three child captions from the tone name, the file the tune came
// from and the opened Ringdata.h.
void updateTitles(EditorContext& ctx);

// What the Matrix editor paints and edits with, for this moment's options.
struct MatrixSession {
    explicit MatrixSession(EditorContext& ctx);
    MatrixOptions options;
    MatrixContext context;
};

// Lays the Matrix edit window out for its client size, sets its bars and
// repaints it.
void layoutMatrixWindow(EditorContext& ctx);
void repaintMatrix(EditorContext& ctx);
// Scrolls the matrix by one of the bars' codes and repaints when it moved.
void scrollMatrix(EditorContext& ctx, ScrollBar bar, ScrollCode code, std::int32_t position = 0);
// Rebuilds the tone text from the tune and repaints the Ringdata view.
void regenerateToneText(EditorContext& ctx);
// Paints the text as it is, with the bars, without regenerating it.
void repaintToneText(EditorContext& ctx);
// What a reload of config.cfg brought: the lines the reader dropped, and
// why the file could not be read, when it could not.
struct TextConfigReload {
    std::vector<std::string> warnings;
    std::optional<FileError> readError;
    bool missing = false; // in neither the start nor the data directory
};

// Reads config.cfg again, from the start directory or else the data
// directory, and puts the tone's name and ID into its header lines; the
// tone text is not regenerated. A file that cannot be read leaves the
// blocks empty.
TextConfigReload reloadTextConfig(EditorContext& ctx);
// Says once a run that no config.cfg was found.
void tellNoConfig(EditorContext& ctx);
// Repaints the "Tunes in Ringdata" list from the catalogue.
void repaintCatalogue(EditorContext& ctx);
// Repaint of the Matrix editor, then the tone text.
void refreshViews(EditorContext& ctx);
// The toolbar lies in the main window's own client area.
void repaintToolbar(EditorContext& ctx);

// The full reset of New Tune and of every open: the tune's ClearTune plus
// the views scrolled home, the titles, the key strip and the note
// frequencies.
void clearEditorTune(EditorContext& ctx);
// The same for a tune that replaced the old one whole (a file was opened).
void afterTuneCleared(EditorContext& ctx);

// The sentences one per line, and a "Warning" box of them when there are any,
// headed by the file they are about when one is named.
[[nodiscard]] std::string joinLines(const std::vector<std::string>& lines);
void showWarnings(EditorContext& ctx, const std::vector<std::string>& warnings,
                  std::string_view file = {});

// The last component of a path ("x.ota" of "/a/b/x.ota").
[[nodiscard]] std::string fileNamePart(const std::string& path);

} // namespace qte
