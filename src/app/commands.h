#pragma once
// The main window's commands and the keys the accelerators leave to it.

#include "matrix/matrix_context.h"

#include <optional>
#include <string>

namespace qte {

struct EditorContext;

// Runs a menu or accelerator command. IDs without a handler do nothing.
void runCommand(EditorContext& ctx, int id);

// Whether the command's menu item is offered, and whether it is checked.
[[nodiscard]] bool isCommandEnabled(const EditorContext& ctx, int id);
[[nodiscard]] bool isCommandChecked(const EditorContext& ctx, int id);
// The menu text of an item whose text follows the editor ("Undo Draw
// note"); nothing for an item that keeps its text.
[[nodiscard]] std::optional<std::string> commandLabel(const EditorContext& ctx, int id);

// Closing the main window by its title bar: asks "Ready to quit?" when
// there are unsaved changes. Returns whether the window may close.
[[nodiscard]] bool confirmClose(EditorContext& ctx);

// Keys the accelerator table did not take (Windows virtual-key codes).
void keyDown(EditorContext& ctx, int virtualKey);
void keyUp(EditorContext& ctx, int virtualKey);

// Shift and Ctrl as a mouse message found them. Keys go unseen while a
// modal dialog is open, so a release there would leave its flag set; each
// mouse message puts the flags right again.
void modifiersHeld(EditorContext& ctx, ModifierKeys held);

} // namespace qte
