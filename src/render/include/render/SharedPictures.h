#pragma once

#include "model/CaptionSettings.h"
#include "model/PictureJob.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ToolRun;
struct ToolResult;

// What a prepared picture is made from: rows that ask for the same share one picture, and for
// an MP4 one encoded piece of it.
struct PictureKey
{
    QString source;       // empty: the blank canvas
    // The source is a copy of the song's cover; two such copies are the same when the song is.
    QString coverOf;
    QSize size;
    QRgb background = 0;
    std::optional<CaptionSettings> caption;

    QString text() const;
};

// The prepared pictures and MP4 pieces of a run, each made once however many rows use it, with
// the model's jobs (PictureJob, mp4PieceArguments). A picture no row uses any more is kept for a
// while, since rows that share it usually come together, then deleted with its files.
class SharedPictures : public QObject
{
    Q_OBJECT

public:
    using PictureReady = std::function<void(const PictureResult &result)>;
    // The piece's path, or empty with the problem; the encoder's arguments that made it, and
    // whether this request made it (false: another row's piece is reused).
    struct Piece
    {
        QString path;
        QString problem;
        QStringList arguments;
        bool made = false;
    };
    using PieceReady = std::function<void(const Piece &piece)>;

    SharedPictures(QString imageTool, QString encoder, QObject *parent = nullptr);
    // Stops what runs and deletes every file made.
    ~SharedPictures() override;

    // The picture for `key`, for one more user until release(); `ready` runs from the event loop
    // once it is made or has failed, unless `receiver` is gone by then.
    int acquire(const PictureKey &key, QObject *receiver, PictureReady ready);
    // The entry's picture (made already) as an MP4 piece of its size, made on the first call.
    void piece(int entry, QObject *receiver, PieceReady ready);
    void release(int entry);
    // Stops every tool at once: the run is ending on a signal.
    void stop();

    // How many pictures and pieces were made (for the report's timings and the tests).
    int picturesMade() const { return m_picturesMade; }
    int piecesMade() const { return m_piecesMade; }

private:
    enum class State { Waiting, Running, Ready, Failed };
    struct Waiter
    {
        QPointer<QObject> receiver;
        PictureReady ready;
    };
    struct PieceWaiter
    {
        QPointer<QObject> receiver;
        PieceReady ready;
        bool made = false;
    };
    struct Entry
    {
        PictureKey key;
        int users = 0;
        State state = State::Waiting;
        PictureResult result;
        QPointer<PictureJob> job;
        QList<Waiter> waiters;
        int canvas = 0;  // the blank canvas entry this picture is drawn on, 0 for none
        QString canvasPath;  // for a canvas entry: the canvas itself
        QString plainPath;
        QString withTextPath;
        State pieceState = State::Waiting;
        QPointer<ToolRun> pieceRun;
        QString piecePath;
        QString pieceProblem;
        QStringList pieceArguments;
        QList<PieceWaiter> pieceWaiters;
    };

    int acquireCanvas(QSize size, QRgb background);
    void startCanvas(int id);
    void canvasEnded(int id, const ToolResult &result);
    void drawOnCanvas(int id);
    void startPicture(int id);
    void pictureEnded(int id, const PictureResult &result);
    void pieceEnded(int id, const ToolResult &result);
    void settle(int id, const PictureResult &result);
    void evict();
    void remove(int id);
    QString tempName(const QString &prefix, const QString &suffix);

    QString m_imageTool;
    QString m_encoder;
    QHash<int, Entry> m_entries;
    QHash<QString, int> m_byKey;
    QList<int> m_idle;
    int m_nextId = 1;
    int m_picturesMade = 0;
    int m_piecesMade = 0;
};
