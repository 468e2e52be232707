#pragma once

#include "AudioInput.h"
#include "AudioRingBuffer.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

struct AVFrame;
struct SwrContext;

// One open audio file as the device plays it: a decoder thread converts it to the device's
// format (float, stereo, 44100 Hz) into a bounded ring buffer, and the device callback copies
// from there. Nothing is decoded until the stream is first played, so measuring a file never
// starts a thread.
class AudioStream
{
public:
    static constexpr int Rate = 44100;
    static constexpr int Channels = 2;
    static constexpr int FrameBytes = Channels * int(sizeof(float));

    enum State { Stopped, Playing, Paused, Ended };

    AudioStream() = default;
    ~AudioStream();
    AudioStream(const AudioStream &) = delete;
    AudioStream &operator=(const AudioStream &) = delete;

    // 0 on success, else an AudioError code.
    int open(const QString &path);

    // Decoded length in frames at Rate, measured once; -1 when nothing decodes.
    int64_t lengthFrames();

    // The next calls run with the device locked, so the callback never sees them half done.
    State state() const { return State(m_state.load(std::memory_order_acquire)); }
    void setState(State state);
    // Frames handed to the device since the start.
    uint64_t position() const { return m_position.load(std::memory_order_relaxed); }

    // Back to the first frame: decoder stopped between two steps, buffer emptied under the
    // device lock, file sought to its start, decoder flushed, resampler reset.
    void rewind(uint32_t device);

    // Starts the decoder thread on first use.
    void startDecoding();

    // Device callback: copies up to `frames` frames into `out`; returns how many. Marks the
    // stream Ended once everything decoded has been played.
    size_t render(float *out, size_t frames);

private:
    void run();
    void restartDecoding();
    // One step of decoding under m_mutex: converts a bounded slice of a frame into m_pending,
    // or ends the input.
    void decodeStep();
    // The next slice of the held frame; drops the frame once it is all converted.
    void convertHeldFrame();
    bool setUpResampler(const AVFrame *frame);
    bool convert(const uint8_t *const *input, int samples);
    void flushPending();

    AudioInput m_input;
    SwrContext *m_swr = nullptr;
    int m_swrFormat = -1;
    int m_swrRate = 0;
    uint64_t m_swrLayout = 0;
    int m_swrChannels = 0;
    AVFrame *m_frame = nullptr;
    // A decoded frame is converted a slice at a time, so a frame of a low sample rate never
    // makes more than a few thousand frames at the device's rate in one go.
    bool m_frameHeld = false;
    int m_frameOffset = 0;
    struct AVPacket *m_packet = nullptr;
    bool m_flushingDecoder = false;
    bool m_inputEnded = false;
    int64_t m_length = -2;

    AudioRingBuffer m_ring{size_t(Rate) / 2, Channels};
    std::vector<float> m_pending;
    size_t m_pendingOffset = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    bool m_abort = false;

    std::atomic<int> m_state{Stopped};
    std::atomic<bool> m_drained{false};
    std::atomic<uint64_t> m_position{0};
};
