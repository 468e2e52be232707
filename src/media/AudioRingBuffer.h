#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

// Interleaved float frames passed from one decoder thread to the device callback without a lock:
// one writer, one reader. clear() needs both sides stopped (the caller holds the decoder's mutex
// and the device lock).
class AudioRingBuffer
{
public:
    AudioRingBuffer(size_t frames, int channels);

    size_t capacity() const { return m_capacity; }
    size_t available() const;
    size_t space() const { return m_capacity - available(); }

    // Copies up to `frames` frames in or out; returns how many were copied.
    size_t write(const float *data, size_t frames);
    size_t read(float *data, size_t frames);
    void clear();

private:
    size_t m_capacity;
    int m_channels;
    std::vector<float> m_samples;
    std::atomic<size_t> m_readCount{0};
    std::atomic<size_t> m_writeCount{0};
};
