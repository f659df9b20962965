#pragma once
// Start-up and shutdown of the editor, in the order the main window's
// creation and destruction run them.

#include "platform/surface.h"

#include <filesystem>

namespace qte {

struct EditorContext;
enum class Child : int;

// Where a child sits in the main window's client area (right edge R,
// bottom edge B); the layout is made once.
[[nodiscard]] Rect childPlacement(Child child, int clientRight, int clientBottom);

// Reads the start directory's config.dat and editor.ini, opens the sound
// devices, then reads midihz.ini, then config.cfg;
// sets the titles and clears the tune. The windows must exist and have
// been placed. A missing file keeps the built-in values and is not reported.
void startEditor(EditorContext& ctx, const std::filesystem::path& startDirectory);

// Closes the sound devices and writes config.dat with the options and the
// Matrix zoom of this run, then editor.ini; a failure is shown in the
// "Error!" box, naming the file and the reason.
void shutdownEditor(EditorContext& ctx);

} // namespace qte
