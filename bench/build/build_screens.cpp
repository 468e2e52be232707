// Shows the build dialog mid-build and the completion dialog in both its sizes and saves a
// screenshot of each (of the whole X screen, through ImageMagick's import) for a person to look at.
#include "BenchSupport.h"
#include "dialogs/BuildProgressDialog.h"
#include "dialogs/CompletionDialog.h"
#include "model/VideoBuildJob.h"
#include "tools/DesktopLauncher.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// Nothing leaves the program while the pictures are taken.
class QuietLauncher : public DesktopLauncher
{
public:
    void openUrl(const QUrl &, std::function<void(bool)> done) override
    {
        if (done)
            done(true);
    }
    bool startDetached(const QString &, const QStringList &) override { return true; }
};

void shoot(const QString &path)
{
    QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
}

void after(int ms, std::function<void()> step)
{
    QTimer::singleShot(ms, qApp, std::move(step));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString shots = QDir(app.arguments().value(1, QStringLiteral("."))).absolutePath();
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("prepared.bmp"));
    const QString song = dir.filePath(QStringLiteral("song.flac"));
    // The dialogs show the output's path: the folder given second (the guide's shots give a
    // reader's Videos folder), else a temporary one.
    const QString outputFolder = app.arguments().value(2, dir.path());
    const QString output = outputFolder + QStringLiteral("/My Holiday Pictune with a rather long name.webm");
    BenchSupport::makePicture(QStringLiteral("/usr/bin/convert"), QSize(854, 480), picture);
    BenchSupport::run(QStringLiteral("ffmpeg"),
                      {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                       QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=duration=600"), song});
    QuietLauncher launcher;
    DesktopLauncher::setInstance(&launcher);

    VideoBuildJob job({QStringLiteral("/usr/bin/ffmpeg"), picture, song, 600.0, output, QSize(854, 480)});
    BuildProgressDialog build(&job);
    auto *bar = build.controlAs<QProgressBar>(BuildProgressDialog::ProgressBar);
    auto *timeLeft = build.controlAs<QLabel>(BuildProgressDialog::TimeLeftLabel);
    bool shot = false;
    // Once the time left shows, which takes the first seconds of the build.
    QObject::connect(bar, &QProgressBar::valueChanged, &build, [&](int) {
        if (!shot && !timeLeft->text().isEmpty()) {
            shot = true;
            // Once the percentage below the bar has been painted too (labels paint later).
            after(150, [&] {
                shoot(shots + QStringLiteral("/build-progress.png"));
                build.requestCancel();
            });
        }
    });
    build.exec();

    CompletionDialog complete(output, QSize(854, 480), QStringLiteral("ffplay"));
    after(600, [&] { shoot(shots + QStringLiteral("/complete-compact.png")); });
    after(800, [&] { complete.controlAs<QPushButton>(CompletionDialog::OpenWithPlayerButton)->click(); });
    after(1400, [&] { shoot(shots + QStringLiteral("/complete-full.png")); });
    after(1600, [&] { complete.reject(); });
    complete.exec();
    DesktopLauncher::setInstance(nullptr);
    return 0;
}
