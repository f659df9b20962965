#pragma once
// Start-up and shutdown of the editor, in the order the main window's
// creation and destruction run them.

#include "platform/surface.h"

#include <array>
#include <filesystem>

namespace qte {

struct EditorContext;
enum class Child : int;

// Where a child sits in the main window's client area (right edge R,
// bottom edge B) in the fixed layout.
[[nodiscard]] Rect childPlacement(Child child, int clientRight, int clientBottom);

// What a child window adds around its client area: caption, borders and
// scroll bars.
struct ChildFrame {
    int width = 0;
    int height = 0;
};

// Text columns the Ringdata view is given: the longest TONE line of our
// example files, a pause of a four-digit length, with room to spare.
constexpr int kToneLineColumns = 56;
// Columns of the "Tunes in Ringdata" list in the side-by-side layout.
constexpr int kTuneListColumns = 20;
// The narrowest Matrix edit window the side-by-side layout leaves.
constexpr int kSideBySideMatrixWidth = 480;
// The children's top edge below the toolbar.
constexpr int kChildrenTop = 63;

// The children's places, by Child, in a client area of this size. Where it
// is wide enough, side by side without overlap: "Tunes in Ringdata" at the
// left, the "Ringdata view" wide enough for a whole TONE line, the "Matrix
// edit" taking the rest. Elsewhere the fixed layout, with the Ringdata view
// widened to a whole TONE line and the Matrix edit window moved right by as
// much.
[[nodiscard]] std::array<Rect, 3> arrangeChildren(int clientWidth, int clientHeight,
                                                  ChildFrame frame);

// Reads the start directory's config.dat and editor.ini, opens the sound
// devices, then reads midihz.ini, then config.cfg (each of the last two from
// the data directory when the start directory has none); sets the titles
// and clears the tune. The windows must exist and have been placed. A
// missing file keeps the built-in values; only a missing config.cfg is
// reported, as it changes how every tune reads.
void startEditor(EditorContext& ctx, const std::filesystem::path& startDirectory,
                 const std::filesystem::path& dataDirectory = {});

// Closes the sound devices and writes config.dat with the options and the
// Matrix zoom of this run, then editor.ini; a failure is shown in the
// "Error!" box, naming the file and the reason.
void shutdownEditor(EditorContext& ctx);

} // namespace qte
