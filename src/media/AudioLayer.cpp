#include "media/AudioLayer.h"

#include "AudioStream.h"

#include <SDL.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace AudioLayer {

namespace {

constexpr uint64_t LengthFailed = ~uint64_t(0);
// Samples per device period: about 23 ms at 44100 Hz.
constexpr Uint16 DeviceSamples = 1024;

thread_local int lastError = AudioOk;

struct Engine
{
    // Guards the handle table; the callback never takes it.
    std::mutex mutex;
    SDL_AudioDeviceID device = 0;
    bool sdlStarted = false;
    std::map<Handle, std::shared_ptr<AudioStream>> streams;
    Handle lastHandle = 0;
    // Streams the callback plays; changed only under the device lock.
    std::vector<AudioStream *> playing;
    std::vector<float> mixBuffer;
};

Engine &engine()
{
    static Engine e;
    return e;
}

bool fail(int code)
{
    lastError = code;
    return false;
}

// SDL reports only strings; its text survives from earlier calls, so callers clear it first.
int sdlErrorCode(int fallback)
{
    const char *text = SDL_GetError();
    if (text && std::strcmp(text, "Out of memory") == 0)
        return AudioErrorMemory;
    return fallback;
}

void deviceCallback(void *, Uint8 *stream, int length)
{
    Engine &e = engine();
    auto *out = reinterpret_cast<float *>(stream);
    const size_t frames = size_t(length) / AudioStream::FrameBytes;
    size_t filled = 0;
    bool first = true;
    for (AudioStream *s : e.playing) {
        if (s->state() != AudioStream::Playing)
            continue;
        if (first) {
            filled = s->render(out, frames);
            first = false;
            continue;
        }
        // A second stream playing at once is added on top of the first.
        const size_t count = s->render(e.mixBuffer.data(), std::min(frames, e.mixBuffer.size() / 2));
        for (size_t i = 0; i < count * AudioStream::Channels; ++i)
            out[i] += e.mixBuffer[i];
        filled = std::max(filled, count);
    }
    std::memset(out + filled * AudioStream::Channels, 0,
                (frames - filled) * AudioStream::FrameBytes);
}

// Needs e.mutex. Returns the stream or sets AudioErrorHandle.
AudioStream *find(Engine &e, Handle handle)
{
    const auto it = e.streams.find(handle);
    if (it == e.streams.end()) {
        lastError = e.device ? AudioErrorHandle : AudioErrorInit;
        return nullptr;
    }
    return it->second.get();
}

// Needs e.mutex. Sets the stream's state with the callback locked out, and keeps the device
// running only while something plays.
void changeState(Engine &e, AudioStream *s, AudioStream::State state)
{
    SDL_LockAudioDevice(e.device);
    s->setState(state);
    e.playing.erase(std::remove(e.playing.begin(), e.playing.end(), s), e.playing.end());
    if (state == AudioStream::Playing)
        e.playing.push_back(s);
    const bool anyPlaying = std::any_of(e.playing.begin(), e.playing.end(), [](AudioStream *p) {
        return p->state() == AudioStream::Playing;
    });
    SDL_UnlockAudioDevice(e.device);
    SDL_PauseAudioDevice(e.device, anyPlaying ? 0 : 1);
}

// Runs `action` on the stream of `handle` under the table's lock; false for an unknown handle.
template <typename Action>
bool withStream(Handle handle, Action action)
{
    Engine &e = engine();
    std::lock_guard<std::mutex> lock(e.mutex);
    AudioStream *s = find(e, handle);
    if (!s)
        return false;
    action(e, s);
    lastError = AudioOk;
    return true;
}

} // namespace

uint32_t composeVersion(const LibraryMajors &runtime, const LibraryMajors &built)
{
    const bool same = runtime.avformat == built.avformat && runtime.avcodec == built.avcodec
        && runtime.swresample == built.swresample && runtime.avutil == built.avutil
        && runtime.sdl == built.sdl;
    return same ? Version << 16 : 0;
}

uint32_t getVersion()
{
    SDL_version sdl;
    SDL_GetVersion(&sdl);
    const LibraryMajors runtime{int(AV_VERSION_MAJOR(avformat_version())),
                                int(AV_VERSION_MAJOR(avcodec_version())),
                                int(AV_VERSION_MAJOR(swresample_version())),
                                int(AV_VERSION_MAJOR(avutil_version())), sdl.major};
    const LibraryMajors built{LIBAVFORMAT_VERSION_MAJOR, LIBAVCODEC_VERSION_MAJOR,
                              LIBSWRESAMPLE_VERSION_MAJOR, LIBAVUTIL_VERSION_MAJOR, SDL_MAJOR_VERSION};
    return composeVersion(runtime, built);
}

int errorGetCode()
{
    return lastError;
}

bool init()
{
    Engine &e = engine();
    std::lock_guard<std::mutex> lock(e.mutex);
    if (e.device)
        return fail(AudioErrorAlready);
    // The program reads no file through the libraries' own logging: keep the terminal quiet.
    av_log_set_level(AV_LOG_QUIET);
    // Without this SDL installs handlers of its own and SIGINT/SIGTERM stop ending the process.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_ClearError();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return fail(sdlErrorCode(AudioErrorDriver));
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = AudioStream::Rate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = AudioStream::Channels;
    wanted.samples = DeviceSamples;
    wanted.callback = deviceCallback;
    SDL_AudioSpec obtained;
    SDL_ClearError();
    // No changes allowed: SDL converts to whatever the device really takes.
    e.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!e.device) {
        const int code = sdlErrorCode(AudioErrorDevice);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return fail(code);
    }
    e.sdlStarted = true;
    e.mixBuffer.assign(size_t(obtained.samples) * AudioStream::Channels, 0.0f);
    lastError = AudioOk;
    return true;
}

void shutdown()
{
    Engine &e = engine();
    std::map<Handle, std::shared_ptr<AudioStream>> streams;
    {
        std::lock_guard<std::mutex> lock(e.mutex);
        if (e.device) {
            SDL_LockAudioDevice(e.device);
            e.playing.clear();
            SDL_UnlockAudioDevice(e.device);
        }
        streams.swap(e.streams);
    }
    // Destroying a stream joins its decoder thread; the callback no longer sees it.
    streams.clear();
    std::lock_guard<std::mutex> lock(e.mutex);
    if (e.device) {
        SDL_CloseAudioDevice(e.device);
        e.device = 0;
    }
    if (e.sdlStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        e.sdlStarted = false;
    }
    lastError = AudioOk;
}

Handle streamCreateFile(const QString &path)
{
    Engine &e = engine();
    {
        std::lock_guard<std::mutex> lock(e.mutex);
        if (!e.device)
            return fail(AudioErrorInit), 0;
    }
    // Opening reads the file: done outside the table's lock.
    auto stream = std::make_shared<AudioStream>();
    const int error = stream->open(path);
    if (error != AudioOk)
        return fail(error), 0;
    std::lock_guard<std::mutex> lock(e.mutex);
    if (!e.device)
        return fail(AudioErrorInit), 0;
    do {
        ++e.lastHandle;
    } while (e.lastHandle == 0 || e.streams.count(e.lastHandle));
    e.streams.emplace(e.lastHandle, std::move(stream));
    lastError = AudioOk;
    return e.lastHandle;
}

bool streamFree(Handle handle)
{
    Engine &e = engine();
    std::shared_ptr<AudioStream> stream;
    {
        std::lock_guard<std::mutex> lock(e.mutex);
        AudioStream *s = find(e, handle);
        if (!s)
            return false;
        // Out of the callback's list before its decoder thread is joined.
        changeState(e, s, AudioStream::Stopped);
        stream = std::move(e.streams[handle]);
        e.streams.erase(handle);
    }
    stream.reset();
    lastError = AudioOk;
    return true;
}

uint64_t channelGetLength(Handle handle)
{
    Engine &e = engine();
    std::shared_ptr<AudioStream> s;
    {
        std::lock_guard<std::mutex> lock(e.mutex);
        if (!find(e, handle))
            return LengthFailed;
        s = e.streams[handle];
    }
    // Measuring reads the file: outside the table's lock, with the stream kept alive.
    const int64_t frames = s->lengthFrames();
    if (frames < 0)
        return fail(AudioErrorFileFormat), LengthFailed;
    lastError = AudioOk;
    return uint64_t(frames) * AudioStream::FrameBytes;
}

double channelBytes2Seconds(Handle handle, uint64_t bytes)
{
    if (!withStream(handle, [](Engine &, AudioStream *) {}))
        return -1.0;
    return double(bytes / AudioStream::FrameBytes) / AudioStream::Rate;
}

uint64_t channelGetPosition(Handle handle)
{
    uint64_t bytes = LengthFailed;
    withStream(handle, [&](Engine &, AudioStream *s) { bytes = s->position() * AudioStream::FrameBytes; });
    return bytes;
}

ChannelState channelIsActive(Handle handle)
{
    ChannelState state = NotActive;
    withStream(handle, [&](Engine &, AudioStream *s) {
        switch (s->state()) {
        case AudioStream::Playing:
            state = Playing;
            break;
        case AudioStream::Paused:
            state = Paused;
            break;
        case AudioStream::Ended:
            state = Ended;
            break;
        case AudioStream::Stopped:
            state = Stopped;
            break;
        }
    });
    return state;
}

bool channelSetVolume(Handle handle, float volume)
{
    return withStream(handle, [volume](Engine &, AudioStream *s) {
        s->setVolume(std::clamp(volume, 0.0f, 1.0f));
    });
}

bool channelPlay(Handle handle)
{
    return withStream(handle, [](Engine &e, AudioStream *s) {
        if (s->state() == AudioStream::Ended)
            s->rewind(e.device);
        s->startDecoding();
        changeState(e, s, AudioStream::Playing);
    });
}

bool channelPause(Handle handle)
{
    return withStream(handle, [](Engine &e, AudioStream *s) {
        if (s->state() == AudioStream::Playing)
            changeState(e, s, AudioStream::Paused);
    });
}

bool channelStop(Handle handle)
{
    return withStream(handle, [](Engine &e, AudioStream *s) {
        if (s->state() != AudioStream::Ended)
            changeState(e, s, AudioStream::Stopped);
    });
}

bool channelRewind(Handle handle)
{
    return withStream(handle, [](Engine &e, AudioStream *s) { s->rewind(e.device); });
}

} // namespace AudioLayer
