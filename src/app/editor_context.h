#pragma once
// Everything the editor holds, in one place: the records by value and the
// platform services by reference. Commands, windows and dialogs take it by
// reference; nothing else keeps state.

#include "config/config_folders.h"
#include "config/editor_options.h"
#include "config/frequency_table.h"
#include "config/text_config.h"
#include "config/user_settings.h"
#include "document/tune_document.h"
#include "formats/midi_file.h"
#include "io/files.h"
#include "matrix/matrix_context.h"
#include "matrix/matrix_edit.h"
#include "matrix/matrix_painter.h"
#include "matrix/matrix_view.h"
#include "playback/playback.h"
#include "tune/ringdata_edit.h"
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
    WaveOutDevice& auditionOut; // the notes heard while editing, beside any play
    Window& mainWindow;
    std::array<Window*, kChildCount> children; // never null
};

struct EditorContext {
    // The views follow every change of the tune from here on.
    explicit EditorContext(const PlatformServices& services);
    EditorContext(const EditorContext&) = delete;
    EditorContext& operator=(const EditorContext&) = delete;

    PlatformServices platform;

    // The tune, where it came from, what is unsaved and the undo history.
    // Every change of the tune goes through it.
    TuneDocument document;
    ToneText toneText;
    TextConfig textConfig;
    NoteNameTable noteNames = BuildNoteNameTable();
    UserSettings settings;
    EditorOptions editorOptions; // kept in editor.ini, beside config.dat
    FrequencyTable frequencyTable = DefaultFrequencyTable();
    NoteFrequencyTable noteFrequencyHz = BuildNoteFrequencies(DefaultFrequencyTable());
    NoteLengthState noteLength;
    MatrixView matrixView;
    MatrixEditState matrixEdit;
    MatrixPainter matrixPainter;
    PlayInfo play; // what the Matrix shows of playback
    PlayState playState;
    bool auditionOpen = false; // the audition device opened at start
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
    // The opened Ringdata.h as it was scanned; a write into it first checks
    // that the file is still that one.
    std::optional<ScannedFile> ringdataScan;
    // The shared file dialog record: every dialog starts with the last path.
    std::string dialogPath;
    // The line of the MIDI file the tune was opened from, read again by Revert.
    MidiLineChoice midiLine;
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
    // A mouse gesture of the Matrix editor holds a step open until it ends.
    bool gestureStepOpen = false;

    [[nodiscard]] const Tune& tune() const { return document.tune(); }
    [[nodiscard]] Window& child(Child c) const { return *platform.children[static_cast<int>(c)]; }
    [[nodiscard]] std::filesystem::path startFile(const char* name) const
    {
        return startDirectory / name;
    }
    [[nodiscard]] ConfigFolders configFolders() const { return {startDirectory, dataDirectory}; }
};

// Sets the three child captions from the tone name (with a "*" while there
// are unsaved changes), the file the tune came from and the opened
// Ringdata.h.
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
// directory; its header lines keep their placeholders, which the generator
// fills from the tune. The tone text is not regenerated. A file that cannot
// be read leaves the blocks empty.
TextConfigReload reloadTextConfig(EditorContext& ctx);
// Says once a run that no config.cfg was found.
void tellNoConfig(EditorContext& ctx);
// Repaints the "Tunes in Ringdata" list from the catalogue, marking the
// tune loaded from it.
void repaintCatalogue(EditorContext& ctx);
// Everything that shows the tune: the captions, the Matrix editor, the tone
// text and the catalogue's mark. What a change's announcement runs, and
// what an option that changes the views runs.
void refreshViews(EditorContext& ctx);
// The toolbar lies in the main window's own client area.
void repaintToolbar(EditorContext& ctx);

// A tune replacing the old one whole (New Tune, a file or catalogue entry
// opened): a new history, nothing unsaved, the views scrolled home.
void openTune(EditorContext& ctx, const Tune& tune, TuneOrigin origin);
// A new, empty tune keeping the tempo, as New Tune and start-up make it.
void openEmptyTune(EditorContext& ctx);

// The sentences one per line, and a "Warning" box of them when there are any,
// headed by the file they are about when one is named.
[[nodiscard]] std::string joinLines(const std::vector<std::string>& lines);
void showWarnings(EditorContext& ctx, const std::vector<std::string>& warnings,
                  std::string_view file = {});

// The last component of a path ("x.ota" of "/a/b/x.ota").
[[nodiscard]] std::string fileNamePart(const std::string& path);

} // namespace qte
