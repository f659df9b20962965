#pragma once
// The "Matrix edit" window (class BlockEdit): routes the window's events to
// the geometry, painting and mouse editing of the matrix, holds the mouse
// capture during gestures and asks to be made the active tune window.

#include "matrix/matrix_context.h"
#include "matrix/matrix_mouse.h"
#include "platform/scroll.h"

#include <cstdint>
#include <functional>

namespace qte {

class MatrixPainter;
class Window;

constexpr int kMatrixControlId = 100;
constexpr int kMatrixMinTrackHeight = 190;

struct MinTrackSize {
    int width = 0;
    int height = 0;
};

class BlockEdit {
public:
    BlockEdit(Window& window, MatrixPainter& painter) : m_window(window), m_painter(painter) {}

    // Messages, dialogs, the tick clock and the change callbacks of the
    // gestures; repaint is set by the window itself.
    MatrixServices services;
    // Make this the active tune window (activeChild 0, on top, caption
    // active, the other two inactive).
    std::function<void()> activate;
    // The smallest the window may be made: the key strip stays whole.
    [[nodiscard]] static MinTrackSize minTrackSize(const MatrixView& view);

    // Lays the matrix out for the client size, erases the window, repaints.
    void onSize(MatrixContext& ctx);
    // A scroll that moves nothing only sets the bars again.
    void onHorizontalScroll(MatrixContext& ctx, ScrollCode code, std::int32_t track);
    void onVerticalScroll(MatrixContext& ctx, ScrollCode code, std::int32_t track);
    void onMouseMove(MatrixContext& ctx, int x, int y);
    void onLeftDown(MatrixContext& ctx, int x, int y);
    void onLeftUp(MatrixContext& ctx, int x, int y);
    void onRightDown(MatrixContext& ctx, int x, int y);
    void onRightUp(MatrixContext& ctx, int x, int y);

    // RepaintMatrix into the window's surface, then the bars and a repaint
    // request.
    void repaint(MatrixContext& ctx);

private:
    void applyBars(const MatrixContext& ctx);
    template <class Gesture> void runGesture(MatrixContext& ctx, Gesture gesture);

    Window& m_window;
    MatrixPainter& m_painter;
};

} // namespace qte
