#pragma once

#include "media/SongTags.h"

#include <QList>
#include <QMetaType>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

class QThread;

// What a song carries besides its sound.
struct SongInfo
{
    QString songPath;
    // The file opened as a song; false also means no tags and no cover.
    bool readable = false;
    SongTags tags;
    // The program's own copy of the cover, in the cover folder; empty when the song has no cover
    // the program can use.
    QString coverPath;
    // Why a cover the song carries was left out; empty when it has none or it is used.
    QString coverProblem;
};
Q_DECLARE_METATYPE(SongInfo)

// Largest cover the program copies out of a song.
constexpr qint64 MaxSongCoverBytes = 64 * 1024 * 1024;

// Reads a song's tags and its cover, the attached picture (ID3 APIC, FLAC PICTURE, MP4 covr, Ogg
// METADATA_BLOCK_PICTURE), with the audio engine's limits on files and formats. The front cover
// wins over other pictures. A cover is kept only when it is in one of the program's picture
// formats, within the picture limits, and decodes; it is then copied into `coverFolder`.
// Blocks: call it off the user-interface thread.
SongInfo readSongInfo(const QString &songPath, const QString &coverFolder);

// Reads songs on worker threads, so a cover or tag of megabytes never stalls the window. Only
// the newest request is answered: an older one's result is dropped, its cover copy deleted.
class SongCoverReader : public QObject
{
    Q_OBJECT

public:
    explicit SongCoverReader(QObject *parent = nullptr);
    // Waits for the reads still running.
    ~SongCoverReader() override;

    // Starts reading a song (empty: none, which only drops earlier requests).
    void read(const QString &songPath);
    // Where cover copies go; the run's temporary folder unless set.
    void setCoverFolder(const QString &folder) { m_coverFolder = folder; }
    bool isReading() const { return m_pending; }

signals:
    // The newest request's result; the receiver owns info.coverPath.
    void songRead(const SongInfo &info);

private:
    void deliver(quint64 request, const SongInfo &info);

    QString m_coverFolder;
    QList<QThread *> m_threads;
    // Copies written but not yet delivered: the destructor deletes those it never delivers.
    QMutex m_unclaimedLock;
    QStringList m_unclaimed;
    quint64 m_request = 0;
    bool m_pending = false;
};
