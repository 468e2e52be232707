// Takes screenshots of the main window in the states a user sees: at rest, with a picture and a
// caption, with the target-size menu open, Save As with its formats, and resized larger. Run by scripts/screenshots.sh
// under Xvfb; the PNGs go to the folder given as the first argument.
#include "PictureWaits.h"
#include "app/Application.h"
#include "base/AppSettings.h"
#include "base/TargetSizeTable.h"
#include "dialogs/SaveAsDialog.h"
#include "mainwindow/MainWindow.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

QString g_folder;

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void shoot(const QString &name)
{
    wait(300);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    const QString path = QDir(g_folder).filePath(name + QStringLiteral(".png"));
    shot.save(path);
    std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(g_folder);

    Application velmora;
    if (!velmora.loadSettings())
        return 1;
    MainWindow window;
    if (!window.initialize())
        return 1;
    window.move(60, 40);
    window.show();
    shoot(QStringLiteral("main-window-at-rest"));

    QTemporaryDir media;
    const QString picture = media.filePath(QStringLiteral("sample-picture.jpg"));
    QProcess::execute(AppSettings::instance().imageToolPath(),
                      {QStringLiteral("-size"), QStringLiteral("1200x800"), QStringLiteral("plasma:orange-purple"),
                       QStringLiteral("-blur"), QStringLiteral("0x6"), picture});
    window.captionSettings().fontName = QStringLiteral("DejaVu-Sans-Bold");
    window.captionSettings().text = QStringLiteral("Midnight Drive\nThe Velmora Band");
    window.captionSettings().pointSize = 44;
    window.captionSettings().textOn = true;
    window.openFile(picture);
    TestSupport::waitForPictureStep(&window);
    shoot(QStringLiteral("main-window-picture-and-caption"));

    {
        std::unique_ptr<QMenu> menu(window.menus()->createMenu(MainMenus::Popup::TargetSize, &window));
        QTimer::singleShot(100, [&] {
            if (QMenu *sizes = menu->actions().first()->menu()) {
                menu->setActiveAction(menu->actions().first());
                sizes->popup(menu->geometry().topRight() - QPoint(4, 0));
            }
        });
        QTimer::singleShot(600, [&] {
            shoot(QStringLiteral("main-window-size-menu"));
            menu->close();
        });
        menu->exec(window.mapToGlobal(QPoint(window.width() / 2, window.height() / 2)));
    }

    {
        // Save As with its list of output formats open.
        SaveAsDialog dialog(&window, QDir::homePath(), QStringLiteral("MyPictune"), QStringLiteral("webm"));
        QTimer::singleShot(400, [&] {
            if (auto *formats = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
                formats->showPopup();
        });
        QTimer::singleShot(1000, [&] {
            shoot(QStringLiteral("save-as-formats"));
            dialog.reject();
        });
        dialog.exec();
    }

    window.resize(window.width() + 380, window.height() + 260);
    shoot(QStringLiteral("main-window-larger"));
    return 0;
}
