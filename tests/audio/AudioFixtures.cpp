#include "AudioFixtures.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace AudioFixtures {

QString ffmpegPath()
{
    return QStringLiteral(VELMORA_TEST_FFMPEG);
}

QString soxPath()
{
    return QFile::exists(QStringLiteral("/usr/bin/sox")) ? QStringLiteral("/usr/bin/sox")
                                                         : QStringLiteral("sox");
}

bool run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool makeTone(const QString &path, double seconds, const QStringList &outputOptions, double frequency)
{
    QStringList args{QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-y"),
                     QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=%2")
                         .arg(frequency)
                         .arg(seconds)};
    args << outputOptions << path;
    return run(ffmpegPath(), args);
}

double decodedLength(const QString &path)
{
    QString output;
    run(ffmpegPath(), {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"), QStringLiteral("-i"),
                       path, QStringLiteral("-vn"), QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")},
        &output);
    static const QRegularExpression time(QStringLiteral("time=(\\d+):(\\d\\d):(\\d\\d(?:\\.\\d+)?)"));
    double seconds = -1;
    auto it = time.globalMatch(output);
    while (it.hasNext()) {
        const auto m = it.next();
        seconds = m.captured(1).toDouble() * 3600 + m.captured(2).toDouble() * 60
            + m.captured(3).toDouble();
    }
    return seconds;
}

bool truncateCopy(const QString &from, const QString &to, qint64 bytes)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return out.write(in.read(bytes)) == qMin(bytes, in.size());
}

} // namespace AudioFixtures
