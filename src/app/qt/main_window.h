#pragma once
// The editor's main window on Qt: "Quelo Internal Tune Editor", its menu
// bar of actions with their shortcuts, the client area with the toolbar
// drawn on it and the three child windows in their layout.

#include "app/editor_context.h"
#include "io/file_store.h"
#include "platform/image_surface.h"
#include "platform/qt/playback_timer.h"
#include "platform/qt/qimage_surface.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_message_sink.h"
#include "platform/qt/qt_wave_out.h"
#include "platform/qt/surface_window.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QMdiArea>

#include <array>
#include <map>
#include <memory>

class QAction;

namespace qte {

// The main window's client area: the toolbar is painted on its background,
// the children live on it.
class ClientArea final : public QMdiArea, public Window {
    Q_OBJECT
public:
    explicit ClientArea(QWidget* parent = nullptr);

    void setCaption(std::string_view caption) override;
    std::string caption() const override;
    void invalidate(bool erase) override;
    int clientWidth() const override;
    int clientHeight() const override;
    void setScrollBar(ScrollBar, const ScrollBarState&) override {}
    void setScrollPosition(ScrollBar, int) override {}
    ScrollBarState scrollBar(ScrollBar) const override { return {}; }
    void captureMouse() override {}
    void releaseMouse() override {}
    bool hasMouseCapture() const override { return false; }
    void setVisible(bool visible) override { QMdiArea::setVisible(visible); }
    bool isVisible() const override { return !isHidden(); }
    Surface& surface() override { return m_surface; }

    std::function<void()> onPaint; // draws the toolbar into surface()
    std::function<void()> onResized;
    std::function<void(MouseAction, int x, int y, Qt::KeyboardModifiers)> onMouse;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void fitSurface();
    QImageSurface m_surface;
};

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    // Unattended: no one answers message boxes (a picture without a display).
    explicit MainWindow(bool unattended = false);
    ~MainWindow() override;

    [[nodiscard]] EditorContext& context() { return *m_ctx; }
    [[nodiscard]] SurfaceWindow* child(Child c) const { return m_children[static_cast<int>(c)]; }
    // The client area with the toolbar.
    [[nodiscard]] ClientArea* clientArea() const { return m_client; }

    // Opens the files named on the command line, in order.
    void openFiles(const std::vector<std::string>& paths);
    // Runs one command as the menu would.
    void command(int id);
    // The action of a command (a menu item or a key), or null.
    [[nodiscard]] QAction* action(int id) const;
    // Puts every child in its place of the layout, also one the user moved.
    void arrangeChildren();
    // Told of every command before it runs (scripts that drive the editor).
    std::function<void(int id)> onCommand;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* makeAction(int id, const std::string& text, const std::vector<std::string>& keys);
    // The enabled action that lists this key among its shortcuts, or null.
    [[nodiscard]] QAction* actionForKey(const QKeySequence& key) const;
    void buildMenus();
    void syncMenus();
    // The layout for the client's size, for the children still where the
    // layout put them (or all of them).
    void placeChildren(bool all);
    void wireChildren();
    // After anything that may have started a tune playing.
    void followPlayback();
    // The matrix window's minimum follows the key strip ("Draw keys").
    void applyMatrixMinimum();

    QtMessageSink m_messages;
    QtFileDialogs m_fileDialogs;
    QtModalDialogs m_dialogs;
    DiskFileStore m_files;
    QtTickClock m_tick;
    QtWaveOut m_waveOut;
    QtWaveOut m_auditionOut;
    ImageSurface m_buttonTable;
    PlaybackTimer m_pumpTimer;
    ClientArea* m_client;
    std::array<SurfaceWindow*, kChildCount> m_children{};
    std::array<QRect, kChildCount> m_placed{}; // where the layout last put each child
    std::unique_ptr<EditorContext> m_ctx;
    std::map<int, QAction*> m_actions;
    bool m_started = false;
    QKeySequence m_lastKey; // the key being matched to a shortcut
};

} // namespace qte
