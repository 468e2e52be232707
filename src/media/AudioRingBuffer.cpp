#include "AudioRingBuffer.h"

#include <algorithm>
#include <cstring>

AudioRingBuffer::AudioRingBuffer(size_t frames, int channels)
    : m_capacity(frames)
    , m_channels(channels)
    , m_samples(frames * size_t(channels))
{
}

size_t AudioRingBuffer::available() const
{
    return m_writeCount.load(std::memory_order_acquire) - m_readCount.load(std::memory_order_acquire);
}

size_t AudioRingBuffer::write(const float *data, size_t frames)
{
    const size_t written = m_writeCount.load(std::memory_order_relaxed);
    const size_t count = std::min(frames, m_capacity - (written - m_readCount.load(std::memory_order_acquire)));
    const size_t at = written % m_capacity;
    const size_t first = std::min(count, m_capacity - at);
    const size_t ch = size_t(m_channels);
    std::memcpy(&m_samples[at * ch], data, first * ch * sizeof(float));
    std::memcpy(&m_samples[0], data + first * ch, (count - first) * ch * sizeof(float));
    m_writeCount.store(written + count, std::memory_order_release);
    return count;
}

size_t AudioRingBuffer::read(float *data, size_t frames)
{
    const size_t done = m_readCount.load(std::memory_order_relaxed);
    const size_t count = std::min(frames, m_writeCount.load(std::memory_order_acquire) - done);
    const size_t at = done % m_capacity;
    const size_t first = std::min(count, m_capacity - at);
    const size_t ch = size_t(m_channels);
    std::memcpy(data, &m_samples[at * ch], first * ch * sizeof(float));
    std::memcpy(data + first * ch, &m_samples[0], (count - first) * ch * sizeof(float));
    m_readCount.store(done + count, std::memory_order_release);
    return count;
}

void AudioRingBuffer::clear()
{
    m_readCount.store(0, std::memory_order_release);
    m_writeCount.store(0, std::memory_order_release);
}
