#include "app/qt/main_window.h"

#include "app/command_line.h"
#include "app/commands.h"
#include "app/matrix_events.h"
#include "app/menu.h"
#include "app/playback_commands.h"
#include "app/startup.h"
#include "app/tune_windows.h"
#include "config/config_folders.h"
#include "io/files.h"
#include "platform/qt/button_table_image.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

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

void ClientArea::fitSurface()
{
    m_surface.resize(viewport()->width(), viewport()->height(), viewport()->devicePixelRatioF());
}

void ClientArea::paintEvent(QPaintEvent*)
{
    fitSurface();
    m_surface.fillRect({0, 0, m_surface.width(), m_surface.height()}, kFrameBackground);
    if (onPaint) onPaint();
    QPainter painter(viewport());
    painter.drawImage(0, 0, m_surface.image());
}

void ClientArea::resizeEvent(QResizeEvent* event)
{
    QMdiArea::resizeEvent(event);
    fitSurface();
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
    for (SurfaceWindow* w : m_children)
        w->show();
    placeChildren(true);
    startEditor(*m_ctx, std::filesystem::current_path(), dataFolderFor(executableFolder()));
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

QAction* MainWindow::makeAction(int id, const std::string& text,
                                const std::vector<std::string>& keys)
{
    auto* a = new QAction(latin1(text), this);
    a->setData(id);
    a->setCheckable(isCheckable(id));
    QList<QKeySequence> shortcuts;
    for (const std::string& k : keys)
        shortcuts << QKeySequence(QString::fromLatin1(k.c_str()), QKeySequence::PortableText);
    a->setShortcuts(shortcuts);
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, [this, id] { command(id); });
    m_actions[id] = a;
    return a;
}

void MainWindow::buildMenus()
{
    for (const Menu& menu : mainMenu()) {
        QMenu* bar = menuBar()->addMenu(latin1(menu.title));
        std::function<void(QMenu*, const std::vector<MenuItem>&)> fill =
            [&](QMenu* into, const std::vector<MenuItem>& items) {
                for (const MenuItem& item : items) {
                    if (item.isSeparator())
                        into->addSeparator();
                    else if (!item.submenu.empty())
                        fill(into->addMenu(latin1(item.text)), item.submenu);
                    else
                        into->addAction(makeAction(item.id, item.text, item.keys));
                }
            };
        fill(bar, menu.items);
        connect(bar, &QMenu::aboutToShow, this, &MainWindow::syncMenus);
    }
    // Keys without a menu item act wherever the window is active, as the
    // menu's own do.
    for (const KeyCommand& k : keyCommands())
        addAction(makeAction(k.id, {}, k.keys));
}

QAction* MainWindow::action(int id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
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
    if (onCommand) onCommand(id);
    runCommand(*m_ctx, id);
    syncMenus();
    applyMatrixMinimum();
    followPlayback();
    if (m_ctx->arrangeRequested) {
        m_ctx->arrangeRequested = false;
        arrangeChildren();
    }
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

void MainWindow::placeChildren(bool all)
{
    const QSize frame = m_children[0]->frameExtent();
    const auto places =
        qte::arrangeChildren(m_client->viewport()->width(), m_client->viewport()->height(),
                             ChildFrame{frame.width(), frame.height()});
    for (std::size_t i = 0; i < places.size(); ++i) {
        SurfaceWindow* w = m_children[i];
        if (!all && w->geometry() != m_placed[i]) continue; // the user's own place
        const Rect& r = places[i];
        w->setGeometry(r.left, r.top, r.width(), r.height());
        m_placed[i] = w->geometry();
    }
}

void MainWindow::arrangeChildren()
{
    placeChildren(true);
}

void MainWindow::wireChildren()
{
    EditorContext& ctx = *m_ctx;
    SurfaceWindow* matrix = child(Child::MatrixEdit);
    SurfaceWindow* ringdata = child(Child::RingdataView);
    SurfaceWindow* tunes = child(Child::TunesInRingdata);

    // A bar the user moves asks for a position; the window takes it as it
    // takes a thumb drag.
    matrix->onScrolled = [&ctx](ScrollBar bar, int position) {
        scrollMatrix(ctx, bar, ScrollCode::ThumbTrack, position);
    };
    ringdata->onScrolled = [&ctx](ScrollBar bar, int position) {
        ringdataScroll(ctx, bar, ScrollCode::ThumbTrack, position);
    };
    tunes->onScrolled = [&ctx](ScrollBar bar, int position) {
        if (bar == ScrollBar::Vertical) catalogueScroll(ctx, ScrollCode::ThumbTrack, position);
    };
    matrix->canvas()->onWheel = [&ctx](int x, int, int up, int left, Qt::KeyboardModifiers held) {
        matrixWheel(ctx, x, up, left, heldKeys(held), QApplication::wheelScrollLines());
    };
    ringdata->canvas()->onWheel = [&ctx](int, int, int up, int left, Qt::KeyboardModifiers held) {
        ringdataWheel(ctx, up, left, held.testFlag(Qt::ShiftModifier),
                      QApplication::wheelScrollLines());
    };
    tunes->canvas()->onWheel = [&ctx](int, int, int up, int, Qt::KeyboardModifiers) {
        catalogueWheel(ctx, up, QApplication::wheelScrollLines());
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
    // The layout follows the client area; a child the user has moved or
    // sized keeps its place until "Arrange windows".
    m_client->onResized = [this] { placeChildren(false); };
    m_client->onPaint = [this] { paintToolbar(*m_ctx); };
    m_client->onMouse = [this](MouseAction action, int x, int y, Qt::KeyboardModifiers held) {
        modifiersHeld(*m_ctx, heldKeys(held));
        if (action != MouseAction::LeftDown) return;
        clickToolbar(*m_ctx, x, y);
        followPlayback();
    };
}

QAction* MainWindow::actionForKey(const QKeySequence& key) const
{
    for (const auto& [id, a] : m_actions)
        if (a->isEnabled() && a->shortcuts().contains(key)) return a;
    return nullptr;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool ours = widget && widget->window() == this && !QApplication::activeModalWidget() &&
                      !QApplication::activePopupWidget();
    if (type == QEvent::ShortcutOverride && ours) {
        m_lastKey = QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination());
        // A mouse gesture or a dialog may have changed what is enabled
        // (Undo after a drawn note); shortcuts are matched after this.
        syncMenus();
    }
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Shift and Ctrl alone are followed for the Matrix editor, wherever
        // the focus is in this window.
        if ((key->key() == Qt::Key_Shift || key->key() == Qt::Key_Control) && ours)
            modifierKey(*m_ctx,
                        key->key() == Qt::Key_Shift ? ModifierKey::Shift : ModifierKey::Ctrl,
                        type == QEvent::KeyPress);
        // Every other key is a shortcut of an action. The numeric pad's keys
        // can come here unmatched (X11 drops the keypad flag when it matches
        // shortcuts): the action that lists the key as pressed takes it.
        if (type == QEvent::KeyPress && ours && key->modifiers().testFlag(Qt::KeypadModifier)) {
            if (QAction* a = actionForKey(QKeySequence(key->keyCombination()))) {
                a->trigger();
                return true;
            }
        }
    }
    // A key that reads as two sequences (Ctrl+Shift+= on a US keyboard is
    // also Ctrl++) is ambiguous to Qt; the action with the key exactly as
    // pressed takes it.
    if (type == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
        const auto* action = qobject_cast<QAction*>(watched);
        if (action && action->parent() == this) {
            if (QAction* a = actionForKey(m_lastKey)) a->trigger();
            return true;
        }
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
