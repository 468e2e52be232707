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
    void offer(const QString &coverPath, const QString &songPath);
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
    // The cover being prepared for step 1.
    QString m_takingPath;
};
