// quelo-tune-editor: the Quelo Internal Tune Editor.
#include "app/command_line.h"
#include "app/qt/main_window.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
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
    if (line.screenshot && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelo Internal Tune Editor"));
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
    window.showMaximized();
    window.openFiles(line.files);
    return QApplication::exec();
}
