#include "app/qt/main_window.h"

#include "app/command_line.h"
#include "app/commands.h"
#include "app/matrix_events.h"
#include "app/menu.h"
#include "app/playback_commands.h"
#include "app/startup.h"
#include "app/tune_windows.h"
#include "platform/qt/button_table_image.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>

#include <filesystem>

namespace qte {

namespace {

// The main window class's background: the stock dark-grey brush.
constexpr Colour kFrameBackground = rgbColour(64, 64, 64);

QString latin1(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

bool isCheckable(int id)
{
    switch (id) {
    case cmd::ViewMatrix:
    case cmd::ViewRingdata:
    case cmd::ViewTones:
    case cmd::StyleContinuous:
    case cmd::StyleNatural:
    case cmd::StyleStaccato:
    case cmd::KindNormal:
    case cmd::KindSpecial:
    case cmd::KindFreqDefine:
    case cmd::AddDefaultParts:
    case cmd::PlayPolitely:
    case cmd::SoundNotes: return true;
    default: return false;
    }
}

// Windows virtual-key code of a Qt key, 0 for keys the editor never reads.
int virtualKey(const QKeyEvent* e)
{
    const int k = e->key();
    const bool keypad = e->modifiers() & Qt::KeypadModifier;
    if (keypad) {
        switch (k) {
        case Qt::Key_Plus: return vk::Add;
        case Qt::Key_Minus: return vk::Subtract;
        case Qt::Key_Asterisk: return vk::Multiply;
        case Qt::Key_Slash: return vk::Divide;
        default:
            if (k >= Qt::Key_0 && k <= Qt::Key_9) return 0x60 + (k - Qt::Key_0);
            break;
        }
    }
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return vk::LetterA + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return vk::Digit0 + (k - Qt::Key_0);
    switch (k) {
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Control: return vk::Control;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_PageUp: return vk::PageUp;
    case Qt::Key_PageDown: return vk::PageDown;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Delete: return vk::Delete;
    case Qt::Key_Comma: return 0xBC;
    case Qt::Key_Period: return 0xBE;
    default: return 0;
    }
}

// Shift and Ctrl as a mouse event found them.
ModifierKeys heldKeys(Qt::KeyboardModifiers m)
{
    return {m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier)};
}

} // namespace

ClientArea::ClientArea(QWidget* parent) : QMdiArea(parent), m_surface(1, 1)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);
    m_surface.fillRect({0, 0, 1, 1}, kFrameBackground);
}

void ClientArea::setCaption(std::string_view caption)
{
    window()->setWindowTitle(latin1(caption));
}
std::string ClientArea::caption() const
{
    return window()->windowTitle().toLatin1().toStdString();
}
void ClientArea::invalidate(bool)
{
    viewport()->update();
}
int ClientArea::clientWidth() const
{
    return viewport()->width();
}
int ClientArea::clientHeight() const
{
    return viewport()->height();
}

void ClientArea::paintEvent(QPaintEvent*)
{
    m_surface.fillRect({0, 0, m_surface.width(), m_surface.height()}, kFrameBackground);
    if (onPaint) onPaint();
    QPainter painter(viewport());
    painter.drawImage(0, 0, m_surface.image());
}

void ClientArea::resizeEvent(QResizeEvent* event)
{
    QMdiArea::resizeEvent(event);
    m_surface.resize(viewport()->width(), viewport()->height());
    if (onResized) onResized();
}

void ClientArea::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && onMouse) {
        const QPoint p = event->position().toPoint();
        onMouse(MouseAction::LeftDown, p.x(), p.y(), event->modifiers());
    }
    QMdiArea::mousePressEvent(event);
}

void ClientArea::mouseMoveEvent(QMouseEvent* event)
{
    if (onMouse) {
        const QPoint p = event->position().toPoint();
        onMouse(MouseAction::Move, p.x(), p.y(), event->modifiers());
    }
    QMdiArea::mouseMoveEvent(event);
}

MainWindow::MainWindow(bool unattended)
    : m_buttonTable(imageSurfaceFrom(loadButtonTableImage())),
      m_pumpTimer([this] { return pumpPlayback(*m_ctx, isActiveWindow()); }),
      m_client(new ClientArea)
{
    setWindowTitle(QStringLiteral("Quelo Internal Tune Editor"));
    setCentralWidget(m_client);
    m_messages.setOwner(this);
    m_messages.setUnattended(unattended);
    m_fileDialogs.setOwner(this);
    m_dialogs.setOwner(this);

    const char* captions[kChildCount] = {"Matrix edit", "Ringdata view", "Tunes in Ringdata "};
    for (int i = 0; i < kChildCount; ++i) {
        m_children[static_cast<std::size_t>(i)] =
            new SurfaceWindow(QString::fromLatin1(captions[i]));
        m_client->addSubWindow(m_children[static_cast<std::size_t>(i)]);
    }
    m_ctx = std::make_unique<EditorContext>(
        PlatformServices{m_messages,
                         m_fileDialogs,
                         m_dialogs,
                         m_files,
                         m_tick,
                         m_waveOut,
                         m_auditionOut,
                         *m_client,
                         {m_children[0], m_children[1], m_children[2]}});
    m_ctx->buttonTable = &m_buttonTable;
    m_ctx->matrixPainter.setButtonTable(&m_buttonTable);

    buildMenus();
    wireChildren();
    resize(1280, 1024);
    layoutChildren();
    for (SurfaceWindow* w : m_children)
        w->show();
    startEditor(*m_ctx, std::filesystem::current_path());
    m_started = true;
    syncMenus();
    applyMatrixMinimum();
    m_client->setActiveSubWindow(child(Child::MatrixEdit));
    qApp->installEventFilter(this);
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
}

void MainWindow::buildMenus()
{
    for (const Menu& menu : mainMenu()) {
        QMenu* bar = menuBar()->addMenu(latin1(menu.title));
        std::function<void(QMenu*, const std::vector<MenuItem>&)> fill =
            [&](QMenu* into, const std::vector<MenuItem>& items) {
                for (const MenuItem& item : items) {
                    if (item.isSeparator()) {
                        into->addSeparator();
                    } else if (!item.submenu.empty()) {
                        fill(into->addMenu(latin1(item.text)), item.submenu);
                    } else {
                        QAction* action = into->addAction(latin1(item.text));
                        action->setCheckable(isCheckable(item.id));
                        const int id = item.id;
                        connect(action, &QAction::triggered, this, [this, id] { command(id); });
                        m_actions[id] = action;
                    }
                }
            };
        fill(bar, menu.items);
        connect(bar, &QMenu::aboutToShow, this, &MainWindow::syncMenus);
    }
}

void MainWindow::syncMenus()
{
    for (auto& [id, action] : m_actions) {
        action->setEnabled(isCommandEnabled(*m_ctx, id));
        if (action->isCheckable()) action->setChecked(isCommandChecked(*m_ctx, id));
        if (const auto label = commandLabel(*m_ctx, id)) action->setText(latin1(*label));
    }
}

void MainWindow::command(int id)
{
    runCommand(*m_ctx, id);
    syncMenus();
    applyMatrixMinimum();
    followPlayback();
    if (m_ctx->quitRequested) close();
}

void MainWindow::applyMatrixMinimum()
{
    const MinTrackSize min = BlockEdit::minTrackSize(m_ctx->matrixView);
    child(Child::MatrixEdit)->setMinimumSize(min.width, min.height);
}

void MainWindow::followPlayback()
{
    if (m_ctx->playState.playing != 0) m_pumpTimer.wake();
}

void MainWindow::openFiles(const std::vector<std::string>& paths)
{
    for (const std::string& p : paths)
        openCommandLineFile(*m_ctx, p);
    syncMenus();
}

void MainWindow::layoutChildren()
{
    const int r = m_client->viewport()->width();
    const int b = m_client->viewport()->height();
    for (int i = 0; i < kChildCount; ++i) {
        const Rect place = childPlacement(static_cast<Child>(i), r, b);
        m_children[static_cast<std::size_t>(i)]->setGeometry(place.left, place.top, place.width(),
                                                             place.height());
    }
}

void MainWindow::wireChildren()
{
    EditorContext& ctx = *m_ctx;
    SurfaceWindow* matrix = child(Child::MatrixEdit);
    SurfaceWindow* ringdata = child(Child::RingdataView);
    SurfaceWindow* tunes = child(Child::TunesInRingdata);

    matrix->onScroll = [&ctx](ScrollBar bar, int code, int position) {
        scrollMatrix(ctx, bar, static_cast<ScrollCode>(code), position);
    };
    ringdata->onScroll = [&ctx](ScrollBar bar, int code, int position) {
        ringdataScroll(ctx, bar, static_cast<ScrollCode>(code), position);
    };
    tunes->onScroll = [&ctx](ScrollBar bar, int code, int position) {
        if (bar == ScrollBar::Vertical)
            catalogueScroll(ctx, static_cast<ScrollCode>(code), position);
    };
    // A click acts where it was made: the position goes in as a move first.
    ringdata->canvas()->onMouse = [this, ringdata](MouseAction action, int x, int y,
                                                   Qt::KeyboardModifiers held) {
        modifiersHeld(*m_ctx, heldKeys(held));
        ringdataMouseMove(*m_ctx, x, y);
        if (action == MouseAction::LeftDown) {
            ringdataLeftDown(*m_ctx);
            m_client->setActiveSubWindow(ringdata);
        } else if (action == MouseAction::RightDown) {
            ringdataRightDown(*m_ctx);
        }
    };
    tunes->canvas()->onMouse = [this, tunes](MouseAction action, int x, int y,
                                             Qt::KeyboardModifiers held) {
        modifiersHeld(*m_ctx, heldKeys(held));
        catalogueMouseMove(*m_ctx, x, y);
        if (action != MouseAction::LeftDown) return;
        catalogueLeftDown(*m_ctx);
        m_client->setActiveSubWindow(tunes);
        syncMenus();
    };
    matrix->canvas()->onMouse = [this, matrix](MouseAction action, int x, int y,
                                               Qt::KeyboardModifiers held) {
        MatrixMouse m = MatrixMouse::Move;
        switch (action) {
        case MouseAction::Move: m = MatrixMouse::Move; break;
        case MouseAction::LeftDown:
        case MouseAction::LeftDouble: m = MatrixMouse::LeftDown; break;
        case MouseAction::LeftUp: m = MatrixMouse::LeftUp; break;
        case MouseAction::RightDown: m = MatrixMouse::RightDown; break;
        case MouseAction::RightUp: m = MatrixMouse::RightUp; break;
        }
        matrixMouse(*m_ctx, m, x, y, heldKeys(held));
        if (m == MatrixMouse::LeftDown && m_ctx->activeChild == Child::MatrixEdit &&
            m_client->activeSubWindow() != matrix)
            m_client->setActiveSubWindow(matrix);
    };
    matrix->canvas()->onResized = [this] {
        if (m_started) layoutMatrixWindow(*m_ctx);
    };
    ringdata->canvas()->onResized = [this] {
        if (m_started) regenerateToneText(*m_ctx);
    };
    tunes->canvas()->onResized = [this] {
        if (m_started) repaintCatalogue(*m_ctx);
    };
    for (SurfaceWindow* w : m_children)
        w->onHidden = [this] { syncMenus(); };

    connect(m_client, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        for (int i = 0; i < kChildCount; ++i)
            if (w == m_children[static_cast<std::size_t>(i)])
                m_ctx->activeChild = static_cast<Child>(i);
    });
    // The fixed places follow the client area, so a smaller screen still
    // shows every child.
    m_client->onResized = [this] { layoutChildren(); };
    m_client->onPaint = [this] { paintToolbar(*m_ctx); };
    m_client->onMouse = [this](MouseAction action, int x, int y, Qt::KeyboardModifiers held) {
        modifiersHeld(*m_ctx, heldKeys(held));
        if (action != MouseAction::LeftDown) return;
        clickToolbar(*m_ctx, x, y);
        followPlayback();
    };
}

bool MainWindow::handleKey(QKeyEvent* e, bool press)
{
    const int key = virtualKey(e);
    if (!press) {
        keyUp(*m_ctx, key);
        return true;
    }
    KeyStroke stroke;
    stroke.virtualKey = key;
    const QString text = e->text();
    if (!text.isEmpty() && text.at(0).unicode() < 256)
        stroke.character = static_cast<unsigned char>(text.at(0).unicode());
    stroke.shift = e->modifiers() & Qt::ShiftModifier;
    stroke.ctrl = e->modifiers() & Qt::ControlModifier;
    stroke.alt = e->modifiers() & Qt::AltModifier;
    if (const auto id = translateAccelerator(stroke)) {
        command(*id);
        return true;
    }
    keyDown(*m_ctx, key);
    return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && !QApplication::activeModalWidget() &&
            !QApplication::activePopupWidget())
            return handleKey(static_cast<QKeyEvent*>(event), type == QEvent::KeyPress);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_ctx->quitRequested && !confirmClose(*m_ctx)) {
        event->ignore();
        return;
    }
    m_ctx->quitRequested = true;
    shutdownEditor(*m_ctx);
    event->accept();
}

} // namespace qte
