#pragma once

#include <QObject>
#include <QString>

#include <memory>

class AudioPreview;
class QWidget;

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
    // in which case the preview already holds it.
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

private:
    void enableButtons(bool enabled);

    QWidget *m_playButton;
    QWidget *m_pauseButton;
    bool &m_menuOpen;
    std::unique_ptr<AudioPreview> m_player;
    QString m_path;
    double m_duration = 0.0;
    bool m_playing = false;
};
