#include "platform/qt/surface_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace qte {

namespace {

// One notch of a mouse wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;
// A touchpad that reports only pixels: this many make a notch, about the
// three lines a notch scrolls.
constexpr int kPixelsPerNotch = 40;

} // namespace

SurfaceCanvas::SurfaceCanvas(QWidget* parent) : QWidget(parent), m_surface(1, 1)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setMinimumSize(1, 1);
}

bool SurfaceCanvas::fitSurface()
{
    const QImageSurface& s = m_surface;
    if (s.width() == width() && s.height() == height() && s.ratio() == devicePixelRatioF())
        return false;
    m_surface.resize(width(), height(), devicePixelRatioF());
    return true;
}

void SurfaceCanvas::paintEvent(QPaintEvent*)
{
    // Moved to a screen of another ratio: paint the image anew for it.
    if (fitSurface() && onResized) onResized();
    QPainter painter(this);
    painter.drawImage(0, 0, m_surface.image());
    // Beyond the image (while a resize is under way) the client is black.
    const int w = m_surface.width(), h = m_surface.height();
    if (width() > w) painter.fillRect(w, 0, width() - w, height(), Qt::black);
    if (height() > h) painter.fillRect(0, h, width(), height() - h, Qt::black);
}

void SurfaceCanvas::resizeEvent(QResizeEvent*)
{
    fitSurface();
    if (onResized) onResized();
}

void SurfaceCanvas::wheelEvent(QWheelEvent* event)
{
    const QPoint pixels = event->pixelDelta();
    m_wheelRest +=
        event->angleDelta().isNull() ? pixels * kWheelNotch / kPixelsPerNotch : event->angleDelta();
    const int up = m_wheelRest.y() / kWheelNotch;
    const int left = m_wheelRest.x() / kWheelNotch;
    m_wheelRest -= QPoint(left * kWheelNotch, up * kWheelNotch);
    if (event->phase() == Qt::ScrollEnd) m_wheelRest = {};
    event->accept();
    if ((up != 0 || left != 0) && onWheel) {
        const QPoint p = event->position().toPoint();
        onWheel(p.x(), p.y(), up, left, event->modifiers());
    }
}

void SurfaceCanvas::report(MouseAction action, QMouseEvent* event)
{
    if (onMouse) {
        const QPoint p = event->position().toPoint();
        onMouse(action, p.x(), p.y(), event->modifiers());
    }
}

void SurfaceCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        report(MouseAction::LeftDown, event);
    else if (event->button() == Qt::RightButton)
        report(MouseAction::RightDown, event);
}

void SurfaceCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        report(MouseAction::LeftUp, event);
    else if (event->button() == Qt::RightButton)
        report(MouseAction::RightUp, event);
}

// The second press of a double click, which Qt sends in place of a press.
void SurfaceCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        report(MouseAction::LeftDouble, event);
    else if (event->button() == Qt::RightButton)
        report(MouseAction::RightDown, event);
}

void SurfaceCanvas::mouseMoveEvent(QMouseEvent* event)
{
    report(MouseAction::Move, event);
}

SurfaceWindow::SurfaceWindow(const QString& caption, QWidget* parent)
    : QMdiSubWindow(parent), m_canvas(new SurfaceCanvas),
      m_horizontal(new QScrollBar(Qt::Horizontal)), m_vertical(new QScrollBar(Qt::Vertical))
{
    auto* client = new QWidget;
    auto* grid = new QGridLayout(client);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(m_canvas, 0, 0);
    grid->addWidget(m_vertical, 0, 1);
    grid->addWidget(m_horizontal, 1, 0);
    setWidget(client);
    setWindowTitle(caption);
    // Caption, system menu and sizing frame; no minimise or maximise box.
    setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Only the user moves a bar: the logic's own settings are applied with
    // the bar's signals blocked.
    connect(m_horizontal, &QScrollBar::valueChanged, this, [this](int position) {
        if (onScrolled) onScrolled(ScrollBar::Horizontal, position);
    });
    connect(m_vertical, &QScrollBar::valueChanged, this, [this](int position) {
        if (onScrolled) onScrolled(ScrollBar::Vertical, position);
    });
    // A drag keeps its own thumb; at its end the bar shows what the logic took.
    connect(m_horizontal, &QScrollBar::sliderReleased, this,
            [this] { applyBar(ScrollBar::Horizontal); });
    connect(m_vertical, &QScrollBar::sliderReleased, this,
            [this] { applyBar(ScrollBar::Vertical); });
    applyBar(ScrollBar::Horizontal);
    applyBar(ScrollBar::Vertical);
}

QSize SurfaceWindow::frameExtent() const
{
    const QMargins m = contentsMargins();
    return {m.left() + m.right() + m_vertical->sizeHint().width(),
            m.top() + m.bottom() + m_horizontal->sizeHint().height()};
}

void SurfaceWindow::applyBar(ScrollBar bar)
{
    QScrollBar* q = bar == ScrollBar::Horizontal ? m_horizontal : m_vertical;
    const ScrollBarState& s = bar == ScrollBar::Horizontal ? m_horizontalState : m_verticalState;
    const int top = std::max(s.minimum, s.page > 0 ? s.maximum - s.page + 1 : s.maximum);
    const QSignalBlocker block(q);
    if (q->isSliderDown()) return; // a drag keeps its own thumb
    q->setRange(s.minimum, top);
    q->setPageStep(std::max(1, s.page));
    q->setSingleStep(1);
    q->setValue(std::clamp(s.position, s.minimum, top));
}

void SurfaceWindow::setCaption(std::string_view caption)
{
    setWindowTitle(QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())));
}

std::string SurfaceWindow::caption() const
{
    return windowTitle().toLatin1().toStdString();
}

void SurfaceWindow::invalidate(bool)
{
    m_canvas->update();
}

int SurfaceWindow::clientWidth() const
{
    return m_canvas->width();
}
int SurfaceWindow::clientHeight() const
{
    return m_canvas->height();
}

void SurfaceWindow::setScrollBar(ScrollBar bar, const ScrollBarState& state)
{
    ScrollBarState& s = bar == ScrollBar::Horizontal ? m_horizontalState : m_verticalState;
    s = state;
    s.position = clampScrollPosition(state, state.position);
    applyBar(bar);
}

void SurfaceWindow::setScrollPosition(ScrollBar bar, int position)
{
    ScrollBarState& s = bar == ScrollBar::Horizontal ? m_horizontalState : m_verticalState;
    s.position = clampScrollPosition(s, position);
    applyBar(bar);
}

ScrollBarState SurfaceWindow::scrollBar(ScrollBar bar) const
{
    return bar == ScrollBar::Horizontal ? m_horizontalState : m_verticalState;
}

// Captures are taken on a press and given up on its release. While a button
// is held Qt already sends every move and the release to the pressed widget,
// also outside the window; an explicit grab on top would keep the mouse from
// a message box that an edit shows before its release, or hold it after a
// release that went to such a box.
void SurfaceWindow::captureMouse()
{
    m_captured = true;
}

void SurfaceWindow::releaseMouse()
{
    m_captured = false;
}

void SurfaceWindow::setVisible(bool visible)
{
    QMdiSubWindow::setVisible(visible);
}
bool SurfaceWindow::isVisible() const
{
    return !isHidden();
}

void SurfaceWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
    if (onHidden) onHidden();
}

} // namespace qte
