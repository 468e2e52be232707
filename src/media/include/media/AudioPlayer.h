#pragma once

#include "media/AudioLayer.h"

#include <QString>

// The one audio preview player of the run: at most one open stream, the file it belongs to, and
// the volume every new stream gets. Created by startAudioEngine, reached through
// theAudioPlayer(), destroyed with the main window.
class AudioPlayer
{
public:
    AudioPlayer();
    // Frees the stream and clears the process-wide pointer when it points here.
    ~AudioPlayer();
    AudioPlayer(const AudioPlayer &) = delete;
    AudioPlayer &operator=(const AudioPlayer &) = delete;

    // Frees the current stream, then opens `path` stopped at its start. On failure the player
    // holds no stream and no path, so the caller knows its own file has to be opened again.
    bool open(const QString &path);
    // Stops the stream and sets it to its start (only while a stream is held).
    void rewind();

    AudioLayer::Handle stream() const { return m_stream; }
    const QString &path() const { return m_path; }
    float volume() const { return m_volume; }

private:
    void freeStream();

    AudioLayer::Handle m_stream = 0;
    QString m_path;
    float m_volume = 1.0f;
};

// Makes a new player (volume 1, no stream) the process-wide one, replacing an earlier player.
// The engine's start calls it.
AudioPlayer *createAudioPlayer();
// The process-wide player; null before startAudioEngine and after destroyAudioPlayer.
AudioPlayer *theAudioPlayer();
// Player destruction, as the main window's end does it. Safe after shutdownAudioEngine.
void destroyAudioPlayer();
