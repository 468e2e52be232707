#include "media/AudioPreview.h"

#include "AudioOutput.h"
#include "AudioStream.h"
#include "media/AudioError.h"

#include <SDL.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <cstdint>

namespace {

thread_local int t_lastError = AudioOk;

bool fail(int code)
{
    t_lastError = code;
    return false;
}

} // namespace

AudioPreview::AudioPreview() = default;

AudioPreview::~AudioPreview()
{
    shutdown();
}

QString AudioPreview::start()
{
    // Another major version of a library lays out its structures differently: nothing may run.
    if (!librariesMatch(loadedLibraries(), builtLibraries()))
        return QStringLiteral("An incorrect version of the audio libraries was loaded");
    if (m_output) {
        fail(AudioErrorAlready);
        return startupFailureText(AudioErrorAlready);
    }
    auto output = std::make_unique<AudioOutput>();
    t_lastError = output->open();
    if (t_lastError != AudioOk)
        return startupFailureText(t_lastError);
    m_output = std::move(output);
    return {};
}

void AudioPreview::shutdown()
{
    freeStream();
    m_path.clear();
    m_output.reset();
}

void AudioPreview::freeStream()
{
    if (!m_stream)
        return;
    // Out of the callback's hands before its decoder thread is joined.
    m_output->setState(*m_stream, AudioStream::Stopped);
    m_stream.reset();
}

bool AudioPreview::open(const QString &path)
{
    freeStream();
    m_path.clear();
    if (!m_output)
        return fail(AudioErrorInit);
    auto stream = std::make_unique<AudioStream>();
    const int error = stream->open(path);
    if (error != AudioOk)
        return fail(error);
    m_stream = std::move(stream);
    m_path = path;
    t_lastError = AudioOk;
    return true;
}

void AudioPreview::rewind()
{
    if (m_stream->state() != AudioStream::Ended)
        m_output->setState(*m_stream, AudioStream::Stopped);
    m_stream->rewind(m_output->device());
}

AudioTransport AudioPreview::play(const QString &path)
{
    AudioTransport result;
    result.playing = AudioTransport::ClearPlaying;
    if (!path.isEmpty() && !open(path))
        return result;
    if (!m_stream)
        return result;
    if (m_stream->state() == AudioStream::Ended)
        m_stream->rewind(m_output->device());
    m_stream->startDecoding();
    m_output->setState(*m_stream, AudioStream::Playing);
    result.buttons = AudioTransport::ShowPauseButton;
    result.playing = AudioTransport::SetPlaying;
    return result;
}

AudioTransport AudioPreview::pause()
{
    if (m_stream && m_stream->state() == AudioStream::Playing)
        m_output->setState(*m_stream, AudioStream::Paused);
    AudioTransport result;
    result.buttons = AudioTransport::ShowPlayButton;
    return result;
}

AudioTransport AudioPreview::restart()
{
    if (!m_stream)
        return {};
    rewind();
    m_stream->startDecoding();
    m_output->setState(*m_stream, AudioStream::Playing);
    AudioTransport result;
    result.buttons = AudioTransport::ShowPauseButton;
    result.clearMenuOpen = true;
    return result;
}

AudioTransport AudioPreview::stop()
{
    if (!m_stream)
        return {};
    rewind();
    AudioTransport result;
    result.buttons = AudioTransport::ShowPlayButton;
    result.clearMenuOpen = true;
    return result;
}

AudioPreview::State AudioPreview::state() const
{
    if (!m_stream)
        return NoStream;
    switch (m_stream->state()) {
    case AudioStream::Playing:
        return Playing;
    case AudioStream::Paused:
        return Paused;
    case AudioStream::Ended:
        return Ended;
    case AudioStream::Stopped:
        break;
    }
    return Stopped;
}

double AudioPreview::position() const
{
    return m_stream ? double(m_stream->position()) / AudioStream::Rate : 0.0;
}

double AudioPreview::length()
{
    const int64_t frames = m_stream ? m_stream->lengthFrames() : -1;
    return frames < 0 ? -1.0 : double(frames) / AudioStream::Rate;
}

int AudioPreview::lastError()
{
    return t_lastError;
}

QString AudioPreview::startupFailureText(int errorCode)
{
    const char *format = nullptr;
    switch (errorCode) {
    case AudioErrorDevice:
        format = "%d - The device number specified is invalid (is there a sound card on this "
                 "system, and are its drivers installed?)";
        break;
    case AudioErrorAlready:
        format = "%d - The device has already been initialized.";
        break;
    case AudioErrorDriver:
        format = "%d - There is no available device driver - the device may already be in use.";
        break;
    case AudioErrorFormat:
        format = "%d - The specified format is not supported by the device.";
        break;
    case AudioErrorMemory:
        format = "%d - There is insufficient memory.";
        break;
    case AudioErrorNo3D:
        format = "%d - The device has no 3D support.";
        break;
    case AudioErrorUnknown:
        format = "%d - General audio initialization problem.";
        break;
    default:
        break;
    }
    const QString detail = format ? QString::asprintf(format, errorCode) : QString();
    return QStringLiteral("Sorry, but the audio device could not be initialized.  Error was: %1")
        .arg(detail);
}

bool AudioPreview::librariesMatch(const LibraryMajors &loaded, const LibraryMajors &built)
{
    return loaded.avformat == built.avformat && loaded.avcodec == built.avcodec
        && loaded.swresample == built.swresample && loaded.avutil == built.avutil
        && loaded.sdl == built.sdl;
}

AudioPreview::LibraryMajors AudioPreview::loadedLibraries()
{
    SDL_version sdl;
    SDL_GetVersion(&sdl);
    return {int(AV_VERSION_MAJOR(avformat_version())), int(AV_VERSION_MAJOR(avcodec_version())),
            int(AV_VERSION_MAJOR(swresample_version())), int(AV_VERSION_MAJOR(avutil_version())),
            sdl.major};
}

AudioPreview::LibraryMajors AudioPreview::builtLibraries()
{
    return {LIBAVFORMAT_VERSION_MAJOR, LIBAVCODEC_VERSION_MAJOR, LIBSWRESAMPLE_VERSION_MAJOR,
            LIBAVUTIL_VERSION_MAJOR, SDL_MAJOR_VERSION};
}
