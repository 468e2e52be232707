#pragma once

#include "media/AudioTransport.h"

#include <QString>

#include <memory>

class AudioOutput;
class AudioStream;

// The window's audio preview: the default output device, opened once at start-up, and the one
// file being previewed. Its calls return at once: a decoder thread per file fills a buffer that
// the device's callback only copies from. Used from one thread at a time; start() and open()
// set the calling thread's error code (AudioError), which lastError() reads.
class AudioPreview
{
public:
    enum State { NoStream, Stopped, Playing, Paused, Ended };

    // Major versions of the FFmpeg and SDL libraries.
    struct LibraryMajors
    {
        int avformat, avcodec, swresample, avutil, sdl;
    };

    AudioPreview();
    // Shuts down: the decoder thread is joined and the device closed.
    ~AudioPreview();
    AudioPreview(const AudioPreview &) = delete;
    AudioPreview &operator=(const AudioPreview &) = delete;

    // Checks that the libraries loaded are those the program was built with, then opens the
    // default output device. Returns the text the window shows when either fails, else nothing.
    QString start();
    // Frees the stream, joins its decoder and closes the device. Safe twice, and before start().
    void shutdown();

    // Frees the current stream, then opens `path` stopped at its start. On failure the preview
    // holds no stream and no path, so the caller knows its own file has to be opened again.
    bool open(const QString &path);

    // Opens `path` first unless it is empty, then plays from where the stream stands (from its
    // start once it has played to its end). Failure, or no stream, clears the playing flag and
    // keeps the buttons.
    AudioTransport play(const QString &path);
    // Pauses the stream if there is one; shows the play button in every case.
    AudioTransport pause();
    // Plays the stream again from its start; with no stream nothing changes.
    AudioTransport restart();
    // Stops the stream at its start; with no stream nothing changes.
    AudioTransport stop();

    // The file of the open stream; empty without one.
    const QString &path() const { return m_path; }
    State state() const;
    // Seconds of the stream handed to the device since its start.
    double position() const;
    // The stream's decoded length in seconds, measured once without moving playback; negative
    // without a stream or when nothing decodes.
    double length();

    static int lastError();
    // "Sorry, but the audio device could not be initialized.  Error was: ..." for a start-up error
    // code; codes without a text of their own leave the detail empty.
    static QString startupFailureText(int errorCode);
    static bool librariesMatch(const LibraryMajors &loaded, const LibraryMajors &built);
    static LibraryMajors loadedLibraries();
    static LibraryMajors builtLibraries();

private:
    void freeStream();
    // Stops the stream and sets it to its start.
    void rewind();

    std::unique_ptr<AudioOutput> m_output;
    std::unique_ptr<AudioStream> m_stream;
    QString m_path;
};
