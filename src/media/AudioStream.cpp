#include "AudioStream.h"

#include "media/AudioError.h"

#include <SDL.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>

namespace {

// The decoder sleeps until this much of the buffer is free, so it wakes a few times a second.
constexpr size_t RefillFrames = AudioStream::Rate / 8;
// Output frames one conversion step makes at most (about 0.1 s, 32 KB).
constexpr int64_t StepFrames = 4096;

} // namespace

AudioStream::~AudioStream()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_abort = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    swr_free(&m_swr);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
}

int AudioStream::open(const QString &path)
{
    const int error = m_input.open(path);
    if (error != AudioOk)
        return error;
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (!m_frame || !m_packet)
        return AudioErrorMemory;
    return AudioOk;
}

int64_t AudioStream::lengthFrames()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_length != -2)
        return m_length;
    if (!m_thread.joinable()) {
        m_length = m_input.measureFrames(Rate);
        restartDecoding();
        return m_length;
    }
    // Playback owns the reading position: measure through a second descriptor of the same file
    // (valid even when the file has been deleted since), without holding up the decoder.
    const QString self = QStringLiteral("/proc/self/fd/%1").arg(m_input.descriptor());
    lock.unlock();
    AudioInput second;
    const int64_t frames = second.open(self) == AudioOk ? second.measureFrames(Rate) : -1;
    lock.lock();
    m_length = frames;
    return m_length;
}

void AudioStream::setState(State state)
{
    m_state.store(state, std::memory_order_release);
}

void AudioStream::rewind(uint32_t device)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    SDL_LockAudioDevice(device);
    m_ring.clear();
    m_position.store(0, std::memory_order_relaxed);
    m_drained.store(false, std::memory_order_release);
    if (state() == Ended)
        setState(Stopped);
    SDL_UnlockAudioDevice(device);
    restartDecoding();
    lock.unlock();
    m_wake.notify_one();
}

void AudioStream::startDecoding()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_thread.joinable())
        m_thread = std::thread(&AudioStream::run, this);
}

void AudioStream::restartDecoding()
{
    m_input.rewind();
    if (m_swr) {
        swr_close(m_swr);
        swr_init(m_swr);
    }
    m_pending.clear();
    m_pendingOffset = 0;
    if (m_frameHeld)
        av_frame_unref(m_frame);
    m_frameHeld = false;
    m_frameOffset = 0;
    m_flushingDecoder = false;
    m_inputEnded = false;
    m_drained.store(false, std::memory_order_release);
}

size_t AudioStream::render(float *out, size_t frames)
{
    // Load the end mark first: once it is seen, everything decoded is already in the buffer.
    const bool drained = m_drained.load(std::memory_order_acquire);
    const size_t count = m_ring.read(out, frames);
    m_position.fetch_add(count, std::memory_order_relaxed);
    if (drained && m_ring.available() == 0)
        setState(Ended);
    else if (!drained && m_ring.space() >= RefillFrames)
        m_wake.notify_one();
    return count;
}

void AudioStream::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_abort) {
        flushPending();
        if (m_pendingOffset < m_pending.size()) {
            // A callback that finds free space notifies again, so a wake-up missed here only
            // costs one device period.
            m_wake.wait(lock, [this] {
                return m_abort || m_ring.space() >= RefillFrames || m_pending.empty();
            });
            continue;
        }
        if (m_inputEnded) {
            m_drained.store(true, std::memory_order_release);
            m_wake.wait(lock, [this] { return m_abort || !m_inputEnded; });
            continue;
        }
        decodeStep();
    }
}

void AudioStream::flushPending()
{
    if (m_pendingOffset >= m_pending.size())
        return;
    const size_t frames = (m_pending.size() - m_pendingOffset) / Channels;
    m_pendingOffset += m_ring.write(m_pending.data() + m_pendingOffset, frames) * Channels;
    if (m_pendingOffset >= m_pending.size()) {
        m_pending.clear();
        m_pendingOffset = 0;
    }
}

void AudioStream::decodeStep()
{
    if (m_frameHeld) {
        convertHeldFrame();
        return;
    }
    AVCodecContext *codec = m_input.codec();
    const int received = avcodec_receive_frame(codec, m_frame);
    if (received >= 0) {
        m_frameHeld = true;
        m_frameOffset = 0;
        if (!setUpResampler(m_frame)) {
            // A frame the device cannot take (a format that changed midway) is skipped.
            av_frame_unref(m_frame);
            m_frameHeld = false;
            return;
        }
        convertHeldFrame();
        return;
    }
    if (received == AVERROR_EOF) {
        // Whatever the resampler still holds comes out last.
        if (m_swr)
            convert(nullptr, 0);
        m_inputEnded = true;
        return;
    }
    if (m_flushingDecoder) {
        m_inputEnded = true;
        return;
    }
    if (m_input.readPacket(m_packet)) {
        // A damaged packet is skipped; the next one may decode.
        avcodec_send_packet(codec, m_packet);
        av_packet_unref(m_packet);
    } else {
        avcodec_send_packet(codec, nullptr);
        m_flushingDecoder = true;
    }
}

void AudioStream::convertHeldFrame()
{
    const AVFrame *frame = m_frame;
    const int channels = m_swrChannels;
    // Input samples whose output fits one step: few at a low rate, many at a high one.
    const int64_t perStep = std::max<int64_t>(1, StepFrames * frame->sample_rate / Rate);
    const int samples = int(std::min<int64_t>(frame->nb_samples - m_frameOffset, perStep));
    const auto format = AVSampleFormat(frame->format);
    const int sampleBytes = av_get_bytes_per_sample(format);
    const uint8_t *slice[AudioInput::MaxChannels];
    if (av_sample_fmt_is_planar(format)) {
        for (int c = 0; c < channels; ++c)
            slice[c] = frame->extended_data[c] + size_t(m_frameOffset) * sampleBytes;
    } else {
        slice[0] = frame->extended_data[0] + size_t(m_frameOffset) * sampleBytes * channels;
    }
    convert(slice, samples);
    m_frameOffset += samples;
    if (m_frameOffset >= frame->nb_samples) {
        av_frame_unref(m_frame);
        m_frameHeld = false;
    }
}

bool AudioStream::setUpResampler(const AVFrame *frame)
{
    AVChannelLayout inLayout;
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0)
        av_channel_layout_default(&inLayout, std::max(frame->ch_layout.nb_channels, 1));
    else
        av_channel_layout_copy(&inLayout, &frame->ch_layout);
    // A decoder may report another format than the header did; the same limits hold.
    if (frame->nb_samples <= 0 || av_get_bytes_per_sample(AVSampleFormat(frame->format)) <= 0
        || !AudioInput::isPlausibleFormat(frame->sample_rate, inLayout.nb_channels)) {
        av_channel_layout_uninit(&inLayout);
        return false;
    }
    const uint64_t mask = inLayout.order == AV_CHANNEL_ORDER_NATIVE ? inLayout.u.mask : 0;
    if (!m_swr || frame->format != m_swrFormat || frame->sample_rate != m_swrRate
        || mask != m_swrLayout || inLayout.nb_channels != m_swrChannels) {
        swr_free(&m_swr);
        AVChannelLayout outLayout = AV_CHANNEL_LAYOUT_STEREO;
        if (swr_alloc_set_opts2(&m_swr, &outLayout, AV_SAMPLE_FMT_FLT, Rate, &inLayout,
                                AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr)
                < 0
            || swr_init(m_swr) < 0) {
            swr_free(&m_swr);
            av_channel_layout_uninit(&inLayout);
            return false;
        }
        m_swrFormat = frame->format;
        m_swrRate = frame->sample_rate;
        m_swrLayout = mask;
        m_swrChannels = inLayout.nb_channels;
    }
    av_channel_layout_uninit(&inLayout);
    return true;
}

bool AudioStream::convert(const uint8_t *const *input, int samples)
{
    const int capacity = swr_get_out_samples(m_swr, samples);
    if (capacity <= 0)
        return true;
    const size_t at = m_pending.size();
    m_pending.resize(at + size_t(capacity) * Channels);
    auto *out = reinterpret_cast<uint8_t *>(m_pending.data() + at);
    const int made = swr_convert(m_swr, &out, capacity, const_cast<const uint8_t **>(input), samples);
    m_pending.resize(at + size_t(std::max(made, 0)) * Channels);
    return made >= 0;
}
