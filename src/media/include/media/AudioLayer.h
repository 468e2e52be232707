#pragma once

#include "media/AudioError.h"

#include <QString>

#include <cstdint>

// The program's audio library: files are decoded and measured with the FFmpeg libraries and
// played on the default output device with SDL2. Streams are numbered by handles (0 = none).
// Every call that fails sets the calling thread's error code (AudioError).
namespace AudioLayer {

using Handle = uint32_t;

// High 16 bits of getVersion() for the libraries this layer was built against.
constexpr uint32_t Version = 0x0100;

enum ChannelState { NotActive, Playing, Paused, Stopped, Ended };

struct LibraryMajors
{
    int avformat, avcodec, swresample, avutil, sdl;
};

// Version << 16 while the FFmpeg and SDL libraries loaded at run time have the major versions the
// program was built with; 0 otherwise (another library's ABI would be misread).
uint32_t getVersion();
uint32_t composeVersion(const LibraryMajors &runtime, const LibraryMajors &built);

// Opens the default output device at 44100 Hz, float stereo, and keeps it paused while nothing
// plays. Fails with AudioErrorAlready, AudioErrorDriver (no audio driver), AudioErrorDevice (no
// output device), AudioErrorMemory or AudioErrorUnknown.
bool init();
// Stops and frees every stream, joins their threads, then closes the device. Safe to call twice.
void shutdown();
int errorGetCode();

// A stream for an audio file, stopped at its start; 0 on failure.
Handle streamCreateFile(const QString &path);
bool streamFree(Handle stream);

// Decoded length in bytes of the device's format (frames x 8); all bits set on failure.
uint64_t channelGetLength(Handle stream);
// Bytes of the device's format as seconds; negative for an unknown handle.
double channelBytes2Seconds(Handle stream, uint64_t bytes);
// Bytes of the stream handed to the device since its start.
uint64_t channelGetPosition(Handle stream);
ChannelState channelIsActive(Handle stream);
bool channelSetVolume(Handle stream, float volume);

// Starts or resumes where the stream stands, never restarting it; a stream that has played to
// its end starts again from the beginning.
bool channelPlay(Handle stream);
bool channelPause(Handle stream);
// Stops output; the stream keeps its position.
bool channelStop(Handle stream);
// Sets the position to byte 0.
bool channelRewind(Handle stream);

} // namespace AudioLayer
