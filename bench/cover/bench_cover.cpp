// Reading a song's tags and cover: wall time of readSongInfo and the process's peak memory.
// One song per run, so the peak belongs to that song: bench_cover SONG [RUNS].
#include "BenchSupport.h"
#include "media/SongCoverReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_cover SONG [RUNS]\n");
        return 2;
    }
    const QString song = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir covers;
    QList<double> ms;
    SongInfo info;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        info = readSongInfo(song, covers.path());
        ms << timer.nsecsElapsed() / 1e6;
        if (!info.coverPath.isEmpty())
            QFile::remove(info.coverPath);
    }
    std::printf("%-28s median %8.1f ms  peak %6ld MB  cover %s\n", qPrintable(QFileInfo(song).fileName()),
                BenchSupport::median(ms), BenchSupport::peakKb() / 1024,
                info.coverPath.isEmpty() ? qPrintable("left out: " + (info.coverProblem.isEmpty() ? QStringLiteral("none") : info.coverProblem))
                                         : "used");
    return 0;
}
