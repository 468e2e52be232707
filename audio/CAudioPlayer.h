#pragma once

#include "audio/AudioLayer.h"

#include <QString>

// The one audio preview player of the run: at most one open stream, the file it belongs to, and
// the volume every new stream gets. Created by StartAudioEngine, reached through
// TheAudioPlayer(), destroyed with the main window.
class CAudioPlayer
{
public:
    CAudioPlayer();
    // Frees the stream and clears the process-wide pointer when it points here.
    ~CAudioPlayer();
    CAudioPlayer(const CAudioPlayer &) = delete;
    CAudioPlayer &operator=(const CAudioPlayer &) = delete;

    // Frees the current stream, then opens `path` stopped at its start. On failure the player
    // holds no stream and no path, so the caller knows its own file has to be opened again.
    bool Open(const QString &path);
    // Stops the stream and sets it to its start (only while a stream is held).
    void Rewind();

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
CAudioPlayer *CreateAudioPlayer();
// The process-wide player; null before StartAudioEngine and after DestroyAudioPlayer.
CAudioPlayer *TheAudioPlayer();
// Player destruction, as the main window's end does it. Safe after ShutdownAudioEngine.
void DestroyAudioPlayer();
