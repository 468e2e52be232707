#pragma once

#include "media/AudioLength.h"
#include "media/SongTags.h"

#include <QObject>
#include <QString>

#include <memory>

class AudioPreview;
struct AudioTransport;
class QWidget;
class SongCoverReader;
struct SongInfo;

// The main window's song: the file taken and its measured length, and the preview that plays it,
// or for a while a file dragged over the window, behind the stacked play and pause buttons.
class AudioStep : public QObject
{
    Q_OBJECT

public:
    // The commands show the play or the pause button; restart and stop count as menu commands.
    AudioStep(QWidget *playButton, QWidget *pauseButton, QObject *parent = nullptr);
    ~AudioStep() override;

    // Opens the output device; the text the window shows when that fails, else nothing.
    QString start();
    void shutdown();

    // Takes a song (empty: none) and starts measuring it off this thread; lengthMeasured()
    // follows. A song the preview already holds plays on; any other is loaded, waiting at its
    // start. Its tags and cover are read in the background and arrive through songRead().
    void take(const QString &path);
    // Plays a dragged or selected file without taking it.
    void preview(const QString &path);
    // Back to the song taken, paused.
    void endPreview();

    // Opens `path` first unless it is empty, then plays.
    void play(const QString &path);
    void resume();
    void pause();
    void restart();
    void stop();

    const QString &path() const { return m_path; }
    // Seconds as measured; 0 while the song is being measured or when it could not be.
    double duration() const { return m_length.seconds; }
    // The bytes of the song the encoder reads, once measured (see AudioLengthResult::readLimit).
    qint64 readLimit() const { return m_length.readLimit; }
    // While true, lengthMeasured() or measuringDropped() follows for path().
    bool isMeasuring() const { return m_measurer->isMeasuring(); }
    bool isPlaying() const { return m_playing; }
    AudioPreview &player() const { return *m_player; }
    // The song's tags, once read (empty before and for a song without tags).
    const SongTags &tags() const { return m_tags; }
    bool tagsRead() const { return m_tagsRead; }

signals:
    // A command that counts as a menu command ran (restart, stop): the menu-open flag clears.
    void menuCommandDone();
    // The song taken was read: its tags, and the copy of its cover, which the receiver owns.
    void songRead(const SongInfo &info);
    // The song taken has been measured: its duration is known, or it turned out to be no audio
    // that can be built from (status other than Measured; the song stays taken).
    void lengthMeasured(const QString &path, AudioLengthResult result);
    // Another song was taken while this one was measured: no length will come for it.
    void measuringDropped(const QString &path);

private:
    void enableButtons(bool enabled);
    void apply(const AudioTransport &transport);
    void takeSongInfo(const SongInfo &info);
    void measured(const QString &path, AudioLengthResult result);

    QWidget *m_playButton;
    QWidget *m_pauseButton;
    std::unique_ptr<AudioPreview> m_player;
    AudioLengthMeasurer *m_measurer;
    QString m_path;
    // What measuring the song found; empty (0 s, no read limit) until it was measured.
    AudioLengthResult m_length;
    bool m_playing = false;
    SongCoverReader *m_coverReader;
    SongTags m_tags;
    bool m_tagsRead = false;
};
