#pragma once

#include "media/SongTags.h"

#include <QObject>
#include <QString>

#include <memory>

class AudioPreview;
class QWidget;
class SongCoverReader;
struct SongInfo;

// The main window's song: the file taken and its measured length, and the preview that plays it,
// or for a while a file dragged over the window, behind the stacked play and pause buttons.
class AudioStep : public QObject
{
    Q_OBJECT

public:
    // The commands show the play or the pause button and may clear the window's menu flag.
    AudioStep(QWidget *playButton, QWidget *pauseButton, bool &menuOpen, QObject *parent = nullptr);
    ~AudioStep() override;

    // Opens the output device; the text the window shows when that fails, else nothing.
    QString start();
    void shutdown();

    // Takes a song (empty: none) and measures it. It waits at its start unless auto-play is on,
    // in which case the preview already holds it. Its tags and cover are read in the background
    // and arrive through songRead().
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
    double duration() const { return m_duration; }
    bool isPlaying() const { return m_playing; }
    AudioPreview &player() const { return *m_player; }
    // The song's tags, once read (empty before and for a song without tags).
    const SongTags &tags() const { return m_tags; }
    bool tagsRead() const { return m_tagsRead; }
    SongCoverReader &coverReader() const { return *m_coverReader; }

signals:
    // The song taken was read: its tags, and the copy of its cover, which the receiver owns.
    void songRead(const SongInfo &info);

private:
    void enableButtons(bool enabled);
    void takeSongInfo(const SongInfo &info);

    QWidget *m_playButton;
    QWidget *m_pauseButton;
    bool &m_menuOpen;
    std::unique_ptr<AudioPreview> m_player;
    QString m_path;
    double m_duration = 0.0;
    bool m_playing = false;
    SongCoverReader *m_coverReader;
    SongTags m_tags;
    bool m_tagsRead = false;
};
