#include "BenchSupport.h"

#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstring>

namespace BenchSupport {

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(QProcess::nullDevice());
    // As from a shell with "< /dev/null": the encoder polls an open stdin for key presses.
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

bool makePicture(const QString &convert, QSize size, const QString &path)
{
    return run(convert, {QStringLiteral("-size"), QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                         QStringLiteral("plasma:fractal"), QStringLiteral("-alpha"), QStringLiteral("off"), path});
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? 0 : n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long statusKb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const qsizetype keyLength = qsizetype(std::strlen(key));
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(keyLength).trimmed().split(' ').first().toLong();
    }
    return -1;
}

} // namespace BenchSupport
