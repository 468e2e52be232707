#include "render/RowReport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <QSaveFile>

extern "C" {
#include <libavformat/avformat.h>
}

#include <cmath>

namespace RowReport {

QJsonObject fileFacts(const QString &path)
{
    QJsonObject facts{{QStringLiteral("path"), path}};
    const QFileInfo info(path);
    if (info.exists()) {
        facts.insert(QStringLiteral("size"), double(info.size()));
        facts.insert(QStringLiteral("modified"),
                     info.lastModified().toUTC().toString(Qt::ISODateWithMs));
    }
    return facts;
}

bool isUpToDate(const QString &reportPath, const QString &videoPath, const QJsonObject &inputs,
                const QJsonObject &settings, double *length)
{
    QFile file(reportPath);
    const QFileInfo video(videoPath);
    if (!video.isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QJsonObject report = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonObject output = report.value(QStringLiteral("output")).toObject();
    if (report.value(QStringLiteral("status")).toString() != QLatin1String("done")
        || report.value(QStringLiteral("inputs")).toObject() != inputs
        || report.value(QStringLiteral("settings")).toObject() != settings
        || output.value(QStringLiteral("size")).toDouble(-1) != double(video.size()))
        return false;
    *length = report.value(QStringLiteral("length")).toDouble();
    return true;
}

bool write(const QString &reportPath, const QJsonObject &report)
{
    QSaveFile file(reportPath);
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(report).toJson(QJsonDocument::Indented)) >= 0
        && file.commit();
}

namespace {

double streamSeconds(const AVStream *stream)
{
    if (stream->duration == AV_NOPTS_VALUE || stream->duration <= 0)
        return 0;
    return double(stream->duration) * av_q2d(stream->time_base);
}

} // namespace

VideoFacts readVideo(const QString &path)
{
    VideoFacts facts;
    AVFormatContext *context = nullptr;
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", "matroska,webm,mpeg,mov,mp4,m4a,3gp,3g2,mj2", 0);
    const int opened = avformat_open_input(&context, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return facts;
    if (avformat_find_stream_info(context, nullptr) >= 0) {
        facts.readable = true;
        const double whole = context->duration > 0 ? double(context->duration) / AV_TIME_BASE : 0;
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            const AVStream *stream = context->streams[i];
            const double seconds = streamSeconds(stream) > 0 ? streamSeconds(stream) : whole;
            if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && facts.size.isEmpty()) {
                facts.size = QSize(stream->codecpar->width, stream->codecpar->height);
                facts.videoLength = seconds;
                facts.frameRate = av_q2d(stream->avg_frame_rate) > 0 ? av_q2d(stream->avg_frame_rate)
                                                                      : av_q2d(stream->r_frame_rate);
            } else if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && facts.audioLength == 0) {
                facts.audioLength = seconds;
            }
        }
        facts.length = std::max({whole, facts.videoLength, facts.audioLength});
    }
    avformat_close_input(&context);
    return facts;
}

QString checkVideo(const VideoFacts &facts, QSize size, double songLength)
{
    const auto seconds = [](double value) { return QLocale::c().toString(value, 'f', 3) + QStringLiteral(" s"); };
    if (!facts.readable)
        return QStringLiteral("the video can not be read back");
    if (facts.size != size)
        return QStringLiteral("the video is %1x%2, not %3x%4")
            .arg(facts.size.width())
            .arg(facts.size.height())
            .arg(size.width())
            .arg(size.height());
    if (!(facts.audioLength > 0))
        return QStringLiteral("the video has no sound");
    const double frame = facts.frameRate > 0 ? 1.0 / facts.frameRate : 1.0;
    // The audio codec's last frame may hold a little more than the song, and the MPEG-1 program
    // stream's picture ends up to a few frames early, as the window's own build writes it.
    const double tolerance = std::max(frame + 0.05, 0.25);
    if (std::abs(facts.videoLength - songLength) > tolerance || std::abs(facts.audioLength - songLength) > tolerance)
        return QStringLiteral("the video lasts %1 (picture) and %2 (sound), the song %3")
            .arg(seconds(facts.videoLength), seconds(facts.audioLength), seconds(songLength));
    return {};
}

} // namespace RowReport
