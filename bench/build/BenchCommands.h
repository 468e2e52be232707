#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>

// What the build benchmarks share: running a tool quietly to its end, and the median of a list.
namespace BenchCommands {

inline bool run(const QString &program, const QStringList &arguments)
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

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? 0 : n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

} // namespace BenchCommands
