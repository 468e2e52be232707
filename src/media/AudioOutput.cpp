#include "AudioOutput.h"

#include "media/AudioError.h"

#include <SDL.h>

#include <cstring>

namespace {

// Samples per device period: about 23 ms at 44100 Hz.
constexpr Uint16 DeviceSamples = 1024;

// SDL reports only strings; its text survives from earlier calls, so callers clear it first.
int sdlErrorCode(int fallback)
{
    const char *text = SDL_GetError();
    if (text && std::strcmp(text, "Out of memory") == 0)
        return AudioErrorMemory;
    return fallback;
}

} // namespace

AudioOutput::~AudioOutput()
{
    if (m_device)
        SDL_CloseAudioDevice(m_device);
    if (m_sdlStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int AudioOutput::open()
{
    // Without this SDL installs handlers of its own and SIGINT/SIGTERM stop ending the process.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_ClearError();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return sdlErrorCode(AudioErrorDriver);
    m_sdlStarted = true;
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = AudioStream::Rate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = AudioStream::Channels;
    wanted.samples = DeviceSamples;
    wanted.callback = fill;
    wanted.userdata = this;
    SDL_AudioSpec obtained;
    SDL_ClearError();
    // No changes allowed: SDL converts to whatever the device really takes.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!m_device)
        return sdlErrorCode(AudioErrorDevice);
    return AudioOk;
}

void AudioOutput::setState(AudioStream &stream, AudioStream::State state)
{
    SDL_LockAudioDevice(m_device);
    stream.setState(state);
    m_playing = state == AudioStream::Playing ? &stream : nullptr;
    SDL_UnlockAudioDevice(m_device);
    SDL_PauseAudioDevice(m_device, m_playing ? 0 : 1);
}

void AudioOutput::fill(void *output, uint8_t *data, int length)
{
    AudioStream *stream = static_cast<AudioOutput *>(output)->m_playing;
    auto *out = reinterpret_cast<float *>(data);
    const size_t frames = size_t(length) / AudioStream::FrameBytes;
    size_t filled = 0;
    // A stream that has just played to its end stays here until the next command: skip it.
    if (stream && stream->state() == AudioStream::Playing)
        filled = stream->render(out, frames);
    std::memset(out + filled * AudioStream::Channels, 0, (frames - filled) * AudioStream::FrameBytes);
}
