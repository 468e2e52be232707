#pragma once

#include <QObject>
#include <QString>

class AudioStep;
class PictureStep;

// The song's cover as step 1's picture: the private copy shown, the song it came from, and a
// cover waiting for a preparation to end. Owns those copies and removes each once it is of no
// further use. A cover never replaces a picture the user chose, and a cover that cannot be used
// shows no message.
class SongCoverFiles : public QObject
{
    Q_OBJECT

public:
    SongCoverFiles(PictureStep &step, const AudioStep &audio, QObject *parent = nullptr);
    ~SongCoverFiles() override;

    // A song was read; coverPath (empty: it has none) goes to step 1 once no picture is being
    // prepared, if the song is still step 2's then. Also without a cover: the last song's cover
    // must not stay on as this song's.
    // coverProblem: why the song's cover was left out (empty: it has none, or it is used).
    void offer(const QString &coverPath, const QString &songPath, const QString &coverProblem = {});
    // Why the cover of step 2's song was left out; empty when it has none or it is used.
    QString coverProblem() const;
    // Step 1 shows the cover.
    bool isShown() const;
    // The song whose cover step 1 shows.
    const QString &songPath() const { return m_songPath; }
    // Removes the copy of a cover step 1 no longer shows.
    void dropUnlessShown();

signals:
    // The cover took step 1, or left it; set: a picture is set.
    void pictureChanged(bool set);
    // The cover offered last has been taken, or let go.
    void offerSettled();

private:
    void takeWaiting();
    void adopt(const QString &previous, const QString &cover, const QString &song, bool set);
    void changed(bool set);

    PictureStep &m_step;
    const AudioStep &m_audio;
    QString m_path;
    QString m_songPath;
    QString m_waitingPath;
    QString m_waitingSongPath;
    // Why the cover of the song offered last was left out.
    QString m_problem;
    QString m_problemSongPath;
    // The cover being prepared for step 1.
    QString m_takingPath;
};
