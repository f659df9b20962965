// quelo-tune-editor: the Quelo Internal Tune Editor.
#include "app/command_line.h"
#include "app/qt/main_window.h"
#include "platform/qt/button_table_image.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// QTE_STARTUP_PROBE=1: report the time from start to the first painted
// window and the peak resident memory then, and quit (for the
// performance report).
class StartupProbe final : public QObject {
public:
    explicit StartupProbe(const QElapsedTimer& sinceStart) : m_sinceStart(sinceStart) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!m_done && event->type() == QEvent::Paint) {
            m_done = true;
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            std::fprintf(stderr, "first paint after %lld ms, peak resident memory %ld kB\n",
                         static_cast<long long>(m_sinceStart.elapsed()), usage.ru_maxrss);
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& m_sinceStart;
    bool m_done = false;
};

// QTE_REPORT_LAYOUT=1: once the window is shown, print where the toolbar's
// client area and each child's client area sit on the screen, as
// "layout <name> X Y WIDTH HEIGHT", and the matrix grid as "grid
// LOWEST-PITCH ROWS KEY-STRIP UNIT-WIDTH ROW-HEIGHT", for scripts that drive
// the editor with a pointer (the children are not windows of the display).
void reportLayout(qte::MainWindow& window)
{
    auto print = [](const char* name, const QWidget* w) {
        const QPoint at = w->mapToGlobal(QPoint(0, 0));
        std::printf("layout %s %d %d %d %d\n", name, at.x(), at.y(), w->width(), w->height());
    };
    if (const auto* area = qobject_cast<QAbstractScrollArea*>(window.centralWidget()))
        print("toolbar", area->viewport());
    print("matrix", window.child(qte::Child::MatrixEdit)->canvas());
    print("ringdata", window.child(qte::Child::RingdataView)->canvas());
    print("tunes", window.child(qte::Child::TunesInRingdata)->canvas());
    const qte::MatrixView& v = window.context().matrixView;
    std::printf("grid %d %d %d %d %d\n", v.lowestPitch, v.visibleRows, v.keyStripWidth, v.unitWidth,
                v.rowHeight);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    std::vector<std::string> args(argv + 1, argv + argc);
    const qte::CommandLine line = qte::parseCommandLine(args);
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s\n%s", line.error.c_str(), qte::commandLineUsage().c_str());
        return 2;
    }
    if (line.help) {
        std::fputs(qte::commandLineUsage().c_str(), stdout);
        return 0;
    }
    // A picture needs no display.
    if (line.screenshot && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelo Internal Tune Editor"));
    QApplication::setWindowIcon(qte::editorIcon());
    // The desktop entry, so that a desktop shows the icon it installs.
    QGuiApplication::setDesktopFileName(QStringLiteral("quelo-tune-editor"));
    // Installed before the window exists, so that a box shown while it
    // starts is the first paint rather than a wait forever.
    StartupProbe probe(sinceStart);
    const bool probing = std::getenv("QTE_STARTUP_PROBE") != nullptr;
    if (probing) app.installEventFilter(&probe);
    qte::MainWindow window(line.screenshot.has_value());
    if (line.screenshot) {
        window.resize(line.width, line.height);
        window.show();
        QApplication::processEvents();
        window.openFiles(line.files);
        QApplication::processEvents();
        const QPixmap picture = window.grab();
        if (!picture.save(QString::fromLocal8Bit(line.screenshot->c_str()), "PNG")) {
            std::fprintf(stderr, "Cannot write the picture \"%s\".\n", line.screenshot->c_str());
            return 1;
        }
        return 0;
    }
    if (probing) {
        // Opened before the first paint, so that the memory reported holds them.
        window.openFiles(line.files);
        window.showMaximized();
        return QApplication::exec();
    }
    // QTE_REPORT_COMMANDS=1: print "command ID" for every command run, for
    // scripts that check which key or menu item reached which command.
    if (std::getenv("QTE_REPORT_COMMANDS")) {
        window.onCommand = [](int id) {
            std::printf("command %d\n", id);
            std::fflush(stdout);
        };
    }
    window.showMaximized();
    window.openFiles(line.files);
    if (std::getenv("QTE_REPORT_LAYOUT")) {
        // After the first layout and paint, when the places are final.
        QTimer::singleShot(500, &window, [&window] { reportLayout(window); });
    }
    return QApplication::exec();
}
