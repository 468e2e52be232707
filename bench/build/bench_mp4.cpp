// The MP4 build of a 3-minute song at 1920x1080 against what it is measured by, interleaved so
// that all see the same machine load: the usual one-liner at 1 fps (the encoder run once per
// frame over the still picture) and the audio alone (AAC encoding of a FLAC song, copying the
// audio of an M4A song), the floor of any build that must write that audio.
#include "BenchSupport.h"
#include "dialogs/BuildProgressDialog.h"
#include "model/VideoBuild.h"
#include "model/VideoBuildJob.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTextStream>

using BenchSupport::median;
using BenchSupport::run;

namespace {

QTextStream out(stdout);

// Seconds a command takes, or -1 when it fails.
double timed(const QString &program, const QStringList &arguments)
{
    QElapsedTimer clock;
    clock.start();
    return run(program, arguments) ? clock.nsecsElapsed() / 1e9 : -1;
}

double duration(const QString &ffprobe, const QString &path)
{
    QProcess process;
    process.start(ffprobe, {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                            QStringLiteral("format=duration"), QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    process.waitForFinished(-1);
    return QString::fromLatin1(process.readAllStandardOutput()).trimmed().toDouble();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString ffmpeg = args.value(1, QStringLiteral("/usr/bin/ffmpeg"));
    const QString convert = args.value(2, QStringLiteral("/usr/bin/convert"));
    const int rounds = args.value(3, QStringLiteral("3")).toInt();
    const QString ffprobe = QFileInfo(ffmpeg).absolutePath() + QStringLiteral("/ffprobe");
    const int seconds = 180;
    const QSize size(1920, 1080);

    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("prepared.bmp"));
    const QString flac = dir.filePath(QStringLiteral("song.flac"));
    const QString m4a = dir.filePath(QStringLiteral("song.m4a"));
    if (!BenchSupport::makePicture(convert, size, picture)
        || !run(ffmpeg, {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                         QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("sine=frequency=220:beep_factor=4:duration=%1:sample_rate=44100").arg(seconds),
                         QStringLiteral("-ac"), QStringLiteral("2"), flac})
        || !run(ffmpeg, {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-i"), flac,
                         QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("192k"), m4a})) {
        out << "could not make the test media\n";
        return 1;
    }

    out << QStringLiteral("3-minute song, %1x%2, %3 rounds, interleaved; seconds (output length)\n")
               .arg(size.width()).arg(size.height()).arg(rounds);
    out << "build: through the build dialog, until it shows the finished build\n"
           "one-liner: -loop 1 -framerate 1 ... -c:v libx264 -tune stillimage -c:a aac|copy -shortest\n"
           "audio: the audio alone, -vn -c:a aac -b:a 192k (FLAC) or -vn -c:a copy (M4A)\n";
    out.flush();

    bool allFine = true;
    struct Figures
    {
        QList<double> build, oneLiner, audio, buildLength, oneLinerLength;
    };
    QMap<QString, Figures> figures;
    for (int round = 0; round < rounds; ++round) {
        for (const QString &song : {flac, m4a}) {
            const bool copy = song == m4a;
            const QString name = copy ? QStringLiteral("M4A") : QStringLiteral("FLAC");
            Figures &f = figures[name];
            const QString output = dir.filePath(QStringLiteral("video.mp4"));
            const QString audioOnly = dir.filePath(QStringLiteral("audio.m4a"));

            // The dialog's time ends when it shows the finished build; the half second it then
            // leaves "100 %" on screen is a pause for the user, not work.
            QElapsedTimer clock;
            VideoBuildJob job({ffmpeg, picture, song, double(seconds), output, size});
            BuildProgressDialog dialog(&job);
            auto *bar = dialog.controlAs<QProgressBar>(BuildProgressDialog::ProgressBar);
            double built = 0;
            QObject::connect(&job, &VideoBuildJob::encoderEnded, &dialog, [&](BuildOutcome outcome) {
                if (outcome == BuildOutcome::Done && bar->value() == bar->maximum())
                    built = clock.nsecsElapsed() / 1e9;
            });
            clock.start();
            const int result = dialog.exec();
            const double buildLength = duration(ffprobe, output);
            QFile::remove(output);

            const double oneLiner = timed(
                ffmpeg, {QStringLiteral("-y"), QStringLiteral("-loop"), QStringLiteral("1"), QStringLiteral("-framerate"),
                         QStringLiteral("1"), QStringLiteral("-i"), picture, QStringLiteral("-i"), song,
                         QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-tune"),
                         QStringLiteral("stillimage"), QStringLiteral("-c:a"),
                         copy ? QStringLiteral("copy") : QStringLiteral("aac"), QStringLiteral("-shortest"), output});
            const double oneLinerLength = duration(ffprobe, output);
            QFile::remove(output);

            QStringList audioArguments{QStringLiteral("-y"), QStringLiteral("-i"), song, QStringLiteral("-vn"),
                                       QStringLiteral("-c:a")};
            audioArguments << (copy ? QStringList{QStringLiteral("copy")}
                                    : QStringList{QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("192k")});
            const double audio = timed(ffmpeg, audioArguments << audioOnly);
            QFile::remove(audioOnly);

            if (result != int(BuildOutcome::Done) || built == 0 || oneLiner < 0 || audio < 0) {
                out << name << ": a run failed: " << job.failureReason() << "\n";
                allFine = false;
                continue;
            }
            f.build << built;
            f.oneLiner << oneLiner;
            f.audio << audio;
            f.buildLength << buildLength;
            f.oneLinerLength << oneLinerLength;
            out << QStringLiteral("%1 round %2: build %3 (%4 s)  one-liner %5 (%6 s)  audio %7\n")
                       .arg(name, -4).arg(round + 1)
                       .arg(built, 0, 'f', 2).arg(buildLength, 0, 'f', 3)
                       .arg(oneLiner, 0, 'f', 2).arg(oneLinerLength, 0, 'f', 3)
                       .arg(audio, 0, 'f', 2);
            out.flush();
        }
    }

    out << QStringLiteral("\nmedians    build  one-liner  audio  build/audio  build/one-liner\n");
    for (auto it = figures.cbegin(); it != figures.cend(); ++it) {
        const Figures &f = it.value();
        const double build = median(f.build);
        const double oneLiner = median(f.oneLiner);
        const double audio = median(f.audio);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                   .arg(it.key(), -6).arg(build, 9, 'f', 2).arg(oneLiner, 10, 'f', 2).arg(audio, 6, 'f', 2)
                   .arg(build / audio, 12, 'f', 2).arg(build / oneLiner, 16, 'f', 3);
    }
    const Figures &f = figures[QStringLiteral("FLAC")];
    const Figures &m = figures[QStringLiteral("M4A")];
    out << QStringLiteral("goals: FLAC build within 1.3x of the AAC encoding: %1; M4A build under 0.1x of the "
                          "one-liner: %2; both at least 4x faster than the one-liner: %3\n")
               .arg(median(f.build) <= 1.3 * median(f.audio) ? "met" : "missed")
               .arg(median(m.build) < 0.1 * median(m.oneLiner) ? "met" : "missed")
               .arg(median(f.build) * 4 <= median(f.oneLiner) && median(m.build) * 4 <= median(m.oneLiner) ? "met"
                                                                                                         : "missed");
    out << QStringLiteral("lengths for a %1 s song: builds %2 / %3 s, one-liners %4 / %5 s (FLAC / M4A)\n")
               .arg(seconds)
               .arg(median(f.buildLength), 0, 'f', 3).arg(median(m.buildLength), 0, 'f', 3)
               .arg(median(f.oneLinerLength), 0, 'f', 3).arg(median(m.oneLinerLength), 0, 'f', 3);
    return allFine ? 0 : 1;
}
