#include "BuildTestSupport.h"

#include "common/TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

namespace BuildTestSupport {

QString makeJobMedia(const QString &folder, JobMedia &media)
{
    media.picture = folder + QStringLiteral("/prepared.bmp");
    media.tone = folder + QStringLiteral("/tone 3.flac");
    media.longSong = folder + QStringLiteral("/silence 20 min.flac");
    QString problem = make(TestSupport::convertPath(),
                           {"-size", "426x240", "gradient:#203060-#e0c040", "-alpha", "off", media.picture});
    if (problem.isEmpty())
        problem = make(TestSupport::ffmpegPath(),
                       {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=3", media.tone});
    if (problem.isEmpty())
        problem = make(TestSupport::ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono",
                                                   "-t", "1200", media.longSong});
    return problem;
}

QString make(const QString &program, const QStringList &arguments)
{
    int exitCode = -1;
    const QString output = TestSupport::runCommand(program, arguments, &exitCode);
    return exitCode == 0 ? QString() : output;
}

bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const int close = text.lastIndexOf(')');
    return close < 0 || close + 2 >= text.size() || text.at(close + 2) == 'Z' || text.at(close + 2) == 'X';
}

Probe probe(const QString &path)
{
    const QString json = TestSupport::runCommand(
        TestSupport::ffprobePath(),
        {"-v", "error", "-show_entries", "stream=codec_type,codec_name,width,height,r_frame_rate",
         "-show_entries", "format=duration", "-of", "json", path});
    const QJsonObject root = QJsonDocument::fromJson(json.toUtf8()).object();
    Probe result;
    for (const QJsonValue &value : root.value("streams").toArray()) {
        const QJsonObject stream = value.toObject();
        if (stream.value("codec_type").toString() == "video") {
            result.videoCodec = stream.value("codec_name").toString();
            result.frameRate = stream.value("r_frame_rate").toString();
            result.width = stream.value("width").toInt();
            result.height = stream.value("height").toInt();
        } else if (stream.value("codec_type").toString() == "audio") {
            result.audioCodec = stream.value("codec_name").toString();
        }
    }
    result.duration = root.value("format").toObject().value("duration").toString().toDouble();
    return result;
}

QString encoderHeldToPermissions(const QString &scriptPath)
{
    if (::geteuid() != 0)
        return TestSupport::ffmpegPath();
    const QStringList dropCaps{"--bounding-set=-dac_override,-dac_read_search"};
    int code = -1;
    TestSupport::runCommand("setpriv", dropCaps + QStringList{"true"}, &code);
    if (code != 0)
        return {};
    return TestSupport::writeScript(scriptPath, QStringLiteral("#!/bin/sh\nexec setpriv %1 '%2' \"$@\"\n")
                                                    .arg(dropCaps.first(), TestSupport::ffmpegPath())
                                                    .toUtf8());
}

} // namespace BuildTestSupport
