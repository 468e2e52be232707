// Building a 3-minute song through the build dialog against running the same encoder command
// directly, interleaved so that both see the same machine load.
#include "BenchSupport.h"
#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/TargetSizeTable.h"
#include "dialogs/BuildProgressDialog.h"
#include "model/VideoBuild.h"
#include "model/VideoBuildJob.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTextStream>

using BenchSupport::cpuSeconds;
using BenchSupport::median;
using BenchSupport::run;

namespace {

QTextStream out(stdout);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString ffmpeg = args.value(1, QStringLiteral("/usr/bin/ffmpeg"));
    const QString convert = args.value(2, QStringLiteral("/usr/bin/convert"));
    const int rounds = args.value(3, QStringLiteral("3")).toInt();
    const int seconds = 180;

    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("prepared.bmp"));
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    const TargetSize size = TargetSizeTable::instance().row(2);
    if (!BenchSupport::makePicture(convert, size.size(), picture)
        || !run(ffmpeg, {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                         QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("sine=frequency=220:beep_factor=4:duration=%1").arg(seconds), song})) {
        out << "could not make the test media\n";
        return 1;
    }

    out << QStringLiteral("3-minute song, %1x%2, %3 rounds; seconds per build\n")
               .arg(size.width).arg(size.height).arg(rounds);
    out << "Wall clock: direct, through the dialog (until it shows the finished build), ratio.\n"
           "Processor: encoder direct, encoder in the dialog + Velmora's own, ratio.\n";
    out << QStringLiteral("%1 %2 %3 %4 | %5 %6 %7 %8\n")
               .arg(QStringLiteral("format"), -7).arg(QStringLiteral("direct"), 8)
               .arg(QStringLiteral("dialog"), 8).arg(QStringLiteral("ratio"), 7)
               .arg(QStringLiteral("cpu dir"), 8).arg(QStringLiteral("cpu dlg"), 8)
               .arg(QStringLiteral("own"), 6).arg(QStringLiteral("ratio"), 7);
    out.flush();

    bool allFine = true;
    for (const QString &format : {QStringLiteral("webm"), QStringLiteral("mpg")}) {
        QList<double> ratios;
        QList<double> cpuRatios;
        for (int round = 0; round < rounds; ++round) {
            const QString output = dir.filePath(QStringLiteral("video.") + format);

            QElapsedTimer clock;
            double children = cpuSeconds(RUSAGE_CHILDREN);
            clock.start();
            const bool directFine = run(ffmpeg, encoderArguments(picture, song, size.width, size.height, output));
            const double direct = clock.nsecsElapsed() / 1e9;
            const double directCpu = cpuSeconds(RUSAGE_CHILDREN) - children;
            QFile::remove(output);

            // The dialog's time ends when it shows the finished build; the half second it then
            // leaves "100 %" on screen is a pause for the user, not work.
            VideoBuildJob job({ffmpeg, picture, song, double(seconds), output, size.size()});
            BuildProgressDialog dialog(&job);
            auto *bar = dialog.controlAs<QProgressBar>(BuildProgressDialog::ProgressBar);
            double built = 0;
            QObject::connect(bar, &QProgressBar::valueChanged, &dialog, [&](int value) {
                if (value == bar->maximum() && built == 0)
                    built = clock.nsecsElapsed() / 1e9;
            });
            children = cpuSeconds(RUSAGE_CHILDREN);
            const double self = cpuSeconds(RUSAGE_SELF);
            clock.restart();
            const int result = dialog.exec();
            const double dialogCpu = cpuSeconds(RUSAGE_CHILDREN) - children;
            const double ownCpu = cpuSeconds(RUSAGE_SELF) - self;
            QFile::remove(output);

            if (!directFine || result != int(BuildOutcome::Done) || built == 0) {
                out << format << ": a build failed\n";
                allFine = false;
                continue;
            }
            ratios << built / direct;
            cpuRatios << (dialogCpu + ownCpu) / directCpu;
            out << QStringLiteral("%1 %2 %3 %4 | %5 %6 %7 %8\n")
                       .arg(format, -7).arg(direct, 8, 'f', 2).arg(built, 8, 'f', 2)
                       .arg(built / direct, 7, 'f', 3).arg(directCpu, 8, 'f', 2)
                       .arg(dialogCpu, 8, 'f', 2).arg(ownCpu, 6, 'f', 2)
                       .arg(cpuRatios.last(), 7, 'f', 3);
            out.flush();
        }
        if (!ratios.isEmpty())
            out << QStringLiteral("%1 median ratio: wall clock %2, processor %3\n")
                       .arg(format).arg(median(ratios), 0, 'f', 3).arg(median(cpuRatios), 0, 'f', 3);
    }
    return allFine ? 0 : 1;
}
