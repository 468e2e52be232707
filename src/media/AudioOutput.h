#pragma once

#include "AudioStream.h"

#include <cstdint>

// The default output device, opened at 44100 Hz, float stereo, and kept paused while nothing
// plays. Its callback copies from the one stream handed to it and never takes a lock of ours.
class AudioOutput
{
public:
    AudioOutput() = default;
    // Closes the device; the stream must already be taken back (setState to anything but Playing).
    ~AudioOutput();
    AudioOutput(const AudioOutput &) = delete;
    AudioOutput &operator=(const AudioOutput &) = delete;

    // AudioOk, or AudioErrorDriver (no audio driver), AudioErrorDevice (no output device) or
    // AudioErrorMemory.
    int open();

    uint32_t device() const { return m_device; }

    // Sets the stream's state with the callback locked out: the callback plays the stream while
    // it is Playing and forgets it otherwise, and the device runs only while it plays.
    void setState(AudioStream &stream, AudioStream::State state);

private:
    static void fill(void *output, uint8_t *data, int length);

    uint32_t m_device = 0;
    bool m_sdlStarted = false;
    // Changed only under the device lock.
    AudioStream *m_playing = nullptr;
};
