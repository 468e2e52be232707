#pragma once

#include <QJsonObject>
#include <QSize>
#include <QString>

// The report written beside each video, and what a re-run reads back from it.
namespace RowReport {

// A file as a report records it: its path, size in bytes and modification time (UTC, ms); for a
// missing file only the path.
QJsonObject fileFacts(const QString &path);

// True when the report and the video exist, the report says the video was done from exactly
// these inputs and settings, and the video is still the size it recorded. *length then holds the
// video's recorded length.
bool isUpToDate(const QString &reportPath, const QString &videoPath, const QJsonObject &inputs,
                const QJsonObject &settings, double *length);

// Writes the report atomically (a temporary name renamed into place); false when it could not.
bool write(const QString &reportPath, const QJsonObject &report);

// What a written video holds, read with the FFmpeg libraries.
struct VideoFacts
{
    bool readable = false;
    double length = 0;  // seconds, the longest stream's
    double videoLength = 0;
    double audioLength = 0;
    QSize size;
    double frameRate = 0;
};
VideoFacts readVideo(const QString &path);

// The check a video passes before it takes its name: a video stream of the size asked for, an
// audio stream, and both ending within a quarter of a second (at least a frame) of the song. Empty when it passes, else why not.
QString checkVideo(const VideoFacts &facts, QSize size, double songLength);

} // namespace RowReport
