#pragma once
// The main window's commands: its menu items and its keys.

#include "matrix/matrix_context.h"

#include <optional>
#include <string>

namespace qte {

struct EditorContext;

// Runs a menu or key command. IDs without a handler do nothing.
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

// Shift or Ctrl pressed or released: the Matrix editor reads both.
enum class ModifierKey { Shift, Ctrl };
void modifierKey(EditorContext& ctx, ModifierKey key, bool down);

// Shift and Ctrl as a mouse message found them. Keys go unseen while a
// modal dialog is open, so a release there would leave its flag set; each
// mouse message puts the flags right again.
void modifiersHeld(EditorContext& ctx, ModifierKeys held);

} // namespace qte
