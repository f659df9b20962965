#pragma once
// The "Matrix edit" window inside the editor: the mouse and window events
// the window layer routes to its BlockEdit, with the editor's services
// behind the gestures (messages, the strips' dialogs, the tick clock, tone
// text regeneration and repaint).

#include "matrix/matrix_mouse.h"
#include "matrix/matrix_window.h"
#include "tune/tune_edit.h"

#include <string>
#include <string_view>

namespace qte {

struct EditorContext;

// The text (158) and repetitions (154) strips on the editor's modal
// dialogs. The mouse capture is given up first so that the dialog gets
// the mouse.
class EditorMatrixDialogs final : public MatrixDialogs {
public:
    explicit EditorMatrixDialogs(EditorContext& ctx) : m_ctx(ctx) {}
    void editText(Tune& tune, int textIndex) override;
    void editRepetitions(Tune& tune, int repeatIndex) override;

private:
    EditorContext& m_ctx;
};

// OK of the repetitions strip. Returns the refusal sentence, or "" when
// the block took the number.
[[nodiscard]] std::string applyRepetitionsField(Tune& tune, int repeatIndex,
                                                std::string_view field);

enum class MatrixMouse { Move, LeftDown, LeftUp, RightDown, RightUp };

// One mouse message of the matrix window at client pixel (x, y), with the
// Shift and Ctrl state it carried.
void matrixMouse(EditorContext& ctx, MatrixMouse action, int x, int y, ModifierKeys held);

// Wheel notches over the matrix at (x, y), up away from the user: up and
// down scroll the pitch rows, Shift or a sideways turn the time, Ctrl zooms
// the time around the mouse. linesPerNotch rows or units a notch.
void matrixWheel(EditorContext& ctx, int x, int up, int left, ModifierKeys held, int linesPerNotch);

// The matrix window became the active tune window.
void activateMatrix(EditorContext& ctx);

} // namespace qte
