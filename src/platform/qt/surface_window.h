#pragma once
// A child window of the editor on Qt: a canvas that shows a kept backing
// image, two scroll bars, inside a QMdiSubWindow. The editor's logic drives
// it through the Window interface and hears of scrolls, clicks, wheel turns
// and resizes through the handlers.

#include "platform/qt/qimage_surface.h"
#include "platform/window.h"

#include <QMdiSubWindow>
#include <QWidget>

#include <functional>

class QScrollBar;

namespace qte {

enum class MouseAction { Move, LeftDown, LeftUp, LeftDouble, RightDown, RightUp };

// The client area: paints the backing image, reports the mouse.
class SurfaceCanvas final : public QWidget {
    Q_OBJECT
public:
    explicit SurfaceCanvas(QWidget* parent = nullptr);
    QImageSurface& surface() { return m_surface; }

    // The action, where it happened and the keyboard modifiers held then.
    std::function<void(MouseAction, int x, int y, Qt::KeyboardModifiers)> onMouse;
    // Whole wheel notches (a touchpad's small turns add up to them): up is
    // away from the user, left to the left; at (x, y) with the modifiers.
    std::function<void(int x, int y, int up, int left, Qt::KeyboardModifiers)> onWheel;
    // The client has a new size or a new device pixel ratio; its backing
    // image is black until the handler paints it.
    std::function<void()> onResized;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void report(MouseAction action, QMouseEvent* event);
    // The backing image follows the client's size and the screen's ratio.
    bool fitSurface();
    QImageSurface m_surface;
    QPoint m_wheelRest; // eighths of a degree not yet a whole notch
};

class SurfaceWindow final : public QMdiSubWindow, public Window {
    Q_OBJECT
public:
    explicit SurfaceWindow(const QString& caption, QWidget* parent = nullptr);

    void setCaption(std::string_view caption) override;
    std::string caption() const override;
    void invalidate(bool erase) override;
    int clientWidth() const override;
    int clientHeight() const override;
    void setScrollBar(ScrollBar bar, const ScrollBarState& state) override;
    void setScrollPosition(ScrollBar bar, int position) override;
    ScrollBarState scrollBar(ScrollBar bar) const override;
    void captureMouse() override;
    void releaseMouse() override;
    bool hasMouseCapture() const override { return m_captured; }
    void setVisible(bool visible) override;
    bool isVisible() const override;
    Surface& surface() override { return m_canvas->surface(); }

    [[nodiscard]] SurfaceCanvas* canvas() const { return m_canvas; }
    // What the window adds around its canvas: frame, caption, scroll bars.
    [[nodiscard]] QSize frameExtent() const;

    // A scroll bar was moved by the user (arrows, page clicks, the thumb,
    // its wheel): the bar and the position it asks for. The logic answers
    // with the position it takes.
    std::function<void(ScrollBar, int position)> onScrolled;
    // The close box hides the window instead.
    std::function<void()> onHidden;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void applyBar(ScrollBar bar);

    SurfaceCanvas* m_canvas;
    QScrollBar* m_horizontal;
    QScrollBar* m_vertical;
    ScrollBarState m_horizontalState;
    ScrollBarState m_verticalState;
    bool m_captured = false;
};

} // namespace qte
