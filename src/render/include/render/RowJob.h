#pragma once

#include "media/SongCoverReader.h"
#include "render/Manifest.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>

struct PictureResult;
struct RenderTools;
class SharedPictures;
class VideoBuildJob;
enum class BuildOutcome;
namespace RowReport {
struct VideoFacts;
}

// How one row ended.
struct RowOutcome
{
    enum class Status { Done, Skipped, Failed };
    Status status = Status::Failed;
    QString output;
    double length = 0;    // the video's, in seconds; 0 when there is none
    double seconds = 0;   // taken
    QString problem;      // for Failed
    // Failed for want of room: the run may succeed later.
    bool diskFull = false;
};

// What every row of a run shares.
struct RowContext
{
    QString outputDir;
    const RenderTools *tools = nullptr;
    SharedPictures *pictures = nullptr;
    bool force = false;
    // Bytes the rows running now expect to write; a row counts itself in while it runs.
    qint64 *reservedBytes = nullptr;
};

// One row as a job: the checks, the song's length and cover, the prepared picture (shared), the
// video (the model's VideoBuildJob) under a temporary name, its check, its name, its report.
// start() returns at once; finished() comes from the event loop, once.
class RowJob : public QObject
{
    Q_OBJECT

public:
    RowJob(Manifest::Row row, const RowContext &context, QObject *parent = nullptr);
    ~RowJob() override;

    void start();
    // The run ends on a signal: the encoder stops and what the row wrote goes, before this returns.
    void stop();
    const Manifest::Row &row() const { return m_row; }
    QString outputPath() const;
    QString reportPath() const;

    // Rough bytes of a video: the song's sound at least 192 kbit/s, the picture's share by size.
    static qint64 estimatedBytes(double seconds, QSize size, qint64 songBytes);

signals:
    void finished(const RowOutcome &outcome);

private:
    struct SongFacts
    {
        double length = 0;
        qint64 readLimit = -1;
        int status = 0;
        SongInfo info;
    };

    void check();
    void songRead(const SongFacts &facts);
    void takePicture(bool cover);
    void pictureReady(const PictureResult &result, bool cover);
    void build(const QString &piecePath);
    void buildEnded(BuildOutcome outcome);
    void videoChecked(const RowReport::VideoFacts &facts);
    void fail(const QString &problem, bool diskFull = false);
    void finish(RowOutcome outcome);
    void cleanUp();
    QString temporaryOutputPath() const;
    QJsonObject inputs() const;
    QJsonObject settings() const;
    void lap(const char *name);

    Manifest::Row m_row;
    RowContext m_context;
    QElapsedTimer m_clock;
    qint64 m_lapStart = 0;
    QJsonObject m_timings;
    QJsonArray m_arguments;
    QString m_font;
    QString m_caption;
    QString m_pictureSource;  // "picture", "cover" or "blank canvas"
    // MP4: "made" when this row encoded the picture's piece, "shared" when it took another row's.
    QString m_piece;
    QString m_coverCopy;
    QString m_picturePath;
    double m_songLength = 0;
    qint64 m_readLimit = -1;
    qint64 m_reserved = 0;
    int m_entry = 0;
    QPointer<VideoBuildJob> m_job;
    bool m_finished = false;
};
