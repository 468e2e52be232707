#include "SongCoverFiles.h"

#include "PictureStep.h"
#include "mainwindow/AudioStep.h"

#include <QFile>

#include <utility>

namespace {

void removeFile(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

} // namespace

SongCoverFiles::SongCoverFiles(PictureStep &step, const AudioStep &audio, QObject *parent)
    : QObject(parent)
    , m_step(step)
    , m_audio(audio)
{
}

SongCoverFiles::~SongCoverFiles()
{
    removeFile(m_path);
    removeFile(m_waitingPath);
    removeFile(m_takingPath);
}

bool SongCoverFiles::isShown() const
{
    return !m_path.isEmpty() && m_step.preparation().sourcePath() == m_path;
}

void SongCoverFiles::dropUnlessShown()
{
    if (!m_path.isEmpty() && !isShown())
        removeFile(std::exchange(m_path, QString()));
}

QString SongCoverFiles::coverProblem() const
{
    return m_problemSongPath == m_audio.path() ? m_problem : QString();
}

void SongCoverFiles::offer(const QString &coverPath, const QString &songPath, const QString &coverProblem)
{
    m_problem = coverProblem;
    m_problemSongPath = songPath;
    removeFile(m_waitingPath);
    m_waitingPath = coverPath;
    m_waitingSongPath = songPath;
    m_step.whenIdle([this] { takeWaiting(); });
}

void SongCoverFiles::takeWaiting()
{
    const QString cover = std::exchange(m_waitingPath, QString());
    const QString song = m_waitingSongPath;
    const bool userPicture = !m_step.preparation().sourcePath().isEmpty() && !isShown();
    if (song != m_audio.path() || userPicture) {
        removeFile(cover);
        emit offerSettled();
        return;
    }
    if (cover.isEmpty()) {
        if (isShown())
            m_step.take(QString(), false, [this](bool set) { changed(set); });
        else
            emit offerSettled();
        return;
    }
    // Prepared like a picture the user chose, but without messages: the step stays empty, and
    // never keeps the last song's cover.
    const QString previous = m_path;
    m_takingPath = cover;
    m_step.take(cover, false, [this, previous, cover, song](bool set) {
        if (!set || m_step.preparation().sourcePath() == cover) {
            adopt(previous, cover, song, set);
            return;
        }
        m_step.take(QString(), false,
                    [this, previous, cover, song](bool none) { adopt(previous, cover, song, none); });
    });
}

void SongCoverFiles::adopt(const QString &previous, const QString &cover, const QString &song, bool set)
{
    for (const QString &file : {previous, cover}) {
        if (file != m_step.preparation().sourcePath())
            removeFile(file);
    }
    m_takingPath.clear();
    m_path = set ? cover : QString();
    m_songPath = song;
    changed(set);
}

void SongCoverFiles::changed(bool set)
{
    emit pictureChanged(set);
    emit offerSettled();
}
