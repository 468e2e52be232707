// Start to a ready main window, idle memory, and how long a dropped 12-megapixel JPEG takes to
// reach the preview compared with the image tool's own run on it.
#include "BenchSupport.h"
#include "app/Application.h"
#include "base/AppSettings.h"
#include "base/TargetSizeTable.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PictureStep.h"
#include "media/PictureFile.h"
#include "model/PicturePreparation.h"
#include "tools/ToolRunner.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <functional>

namespace {

void send(QWidget *window, const QString &path, QEvent::Type type)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    if (type == QEvent::DragEnter) {
        QDragEnterEvent e(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &e);
    } else {
        QDropEvent e(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &e);
    }
}

// Runs `command` and returns once the window's picture step has nothing left to do.
void untilPictureSettles(MainWindow &window, const std::function<void()> &command)
{
    QEventLoop loop;
    QObject::connect(window.pictureStep(), &PictureStep::settled, &loop, &QEventLoop::quit);
    command();
    if (window.pictureStep()->isPreparing())
        loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);

    Application velmora;
    if (!velmora.loadSettings())
        return 1;
    const qint64 settingsMs = sinceStart.elapsed();
    MainWindow window;
    if (!window.initialize())
        return 1;
    window.show();
    // Ready: the posted start-up checks (layout, font list) have run and the window has painted.
    QEventLoop settle;
    QTimer::singleShot(0, &settle, &QEventLoop::quit);
    settle.exec();
    QApplication::processEvents();
    const qint64 readyMs = sinceStart.elapsed();
    std::printf("start to ready window: %lld ms (settings and tool checks %lld ms)\n",
                readyMs, settingsMs);
    std::printf("resident memory when ready: %.1f MB\n", BenchSupport::statusKb("VmRSS:") / 1024.0);

    QTemporaryDir dir;
    const QString jpeg = dir.filePath(QStringLiteral("twelve megapixels.jpg"));
    QProcess::execute(AppSettings::instance().imageToolPath(),
                      {QStringLiteral("-size"), QStringLiteral("4000x3000"), QStringLiteral("plasma:"),
                       QStringLiteral("-quality"), QStringLiteral("90"), jpeg});

    const QString out = dir.filePath(QStringLiteral("direct.bmp"));
    const TargetSize &size = TargetSizeTable::instance().current();
    const int rounds = argc > 1 ? atoi(argv[1]) : 3;
    qint64 toolBest = -1;
    qint64 dropBest = -1;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        runTool(AppSettings::instance().imageToolPath(),
                letterboxArguments(imageToolInput(PictureFormat::Jpeg, jpeg), size.width, size.height,
                                   AppSettings::instance().backgroundColor(), out));
        const qint64 tool = t.elapsed();
        toolBest = toolBest < 0 ? tool : std::min(toolBest, tool);

        t.restart();
        send(&window, jpeg, QEvent::DragEnter);
        const qint64 enter = t.elapsed();
        t.restart();
        untilPictureSettles(window, [&] { send(&window, jpeg, QEvent::Drop); });
        window.repaint();
        const qint64 drop = t.elapsed();
        dropBest = dropBest < 0 ? drop : std::min(dropBest, drop);
        std::printf("round %d: image tool alone %lld ms; drop to preview %lld ms (drag-enter preview %lld ms)\n",
                    i + 1, tool, drop, enter);
        untilPictureSettles(window, [&] { window.setPictureFile(QString()); });
    }
    std::printf("best: image tool %lld ms, drop to preview %lld ms, difference %lld ms\n",
                toolBest, dropBest, dropBest - toolBest);
    std::printf("resident memory after the drops: %.1f MB\n", BenchSupport::statusKb("VmRSS:") / 1024.0);
    return 0;
}
