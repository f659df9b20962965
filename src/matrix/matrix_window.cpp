#include "matrix/matrix_window.h"

#include "matrix/matrix_edit.h"
#include "matrix/matrix_painter.h"
#include "matrix/matrix_view.h"
#include "platform/surface.h"
#include "platform/window.h"
#include "tune/tune.h"

namespace qte {
void BlockEdit::applyBars(const MatrixContext& ctx)
{
    m_window.setScrollBar(ScrollBar::Horizontal, toBar(ctx.view.horizontalBar));
    m_window.setScrollBar(ScrollBar::Vertical, toBar(ctx.view.verticalBar));
}

void BlockEdit::repaint(MatrixContext& ctx)
{
    m_painter.RepaintMatrix(ctx, m_window.surface());
    applyBars(ctx);
    m_window.invalidate(false);
}

void BlockEdit::onSize(MatrixContext& ctx)
{
    LayoutMatrix(ctx.view, ctx.tune, m_window.clientWidth(), m_window.clientHeight());
    // The bands move with the size and the zoom, and painting covers only
    // the bands: the rest is erased to the window's black first.
    Surface& surface = m_window.surface();
    surface.fillRect({0, 0, surface.width(), surface.height()}, m_painter.colours().background);
    repaint(ctx);
}

MinTrackSize BlockEdit::minTrackSize(const MatrixView& view)
{
    return {view.keyStripWidth, kMatrixMinTrackHeight};
}

void BlockEdit::onHorizontalScroll(MatrixContext& ctx, ScrollCode code, std::int32_t track)
{
    if (ScrollHorizontal(ctx.view, code, track))
        repaint(ctx);
    else
        applyBars(ctx);
}

void BlockEdit::onVerticalScroll(MatrixContext& ctx, ScrollCode code, std::int32_t track)
{
    if (ScrollVertical(ctx.view, code, track))
        repaint(ctx);
    else
        applyBars(ctx);
}

void BlockEdit::onMouseMove(MatrixContext& ctx, int x, int y)
{
    ctx.edit.mouseX = x;
    ctx.edit.mouseY = y;
    if (ctx.edit.gestureActive(ctx.tune)) {
        repaint(ctx);
    } else if (ctx.options.drawKeys && ctx.view.keyStripWidth > 0) {
        m_painter.PaintKeys(ctx, m_window.surface());
        m_window.invalidate(false);
    }
}

template <class Gesture> void BlockEdit::runGesture(MatrixContext& ctx, Gesture gesture)
{
    MatrixServices s = services;
    s.repaint = [this, &ctx] { repaint(ctx); };
    gesture(ctx, s);
}

void BlockEdit::onLeftDown(MatrixContext& ctx, int x, int y)
{
    ctx.edit.mouseX = x;
    ctx.edit.mouseY = y;
    if (!ctx.play.playing) {
        m_window.captureMouse();
        runGesture(ctx, LeftPress);
    }
    if (activate) activate();
}

void BlockEdit::onLeftUp(MatrixContext& ctx, int x, int y)
{
    if (ctx.play.playing) return;
    ctx.edit.mouseX = x;
    ctx.edit.mouseY = y;
    runGesture(ctx, LeftRelease);
    m_window.releaseMouse();
}

void BlockEdit::onRightDown(MatrixContext& ctx, int x, int y)
{
    if (ctx.play.playing) return;
    ctx.edit.mouseX = x;
    ctx.edit.mouseY = y;
    runGesture(ctx, RightPress);
    m_window.captureMouse();
}

void BlockEdit::onRightUp(MatrixContext& ctx, int x, int y)
{
    if (ctx.play.playing) return;
    ctx.edit.mouseX = x;
    ctx.edit.mouseY = y;
    runGesture(ctx, RightRelease);
    m_window.releaseMouse();
}

} // namespace qte
