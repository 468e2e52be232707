#pragma once

#include <QString>

#include <cstdint>

struct AVCodecContext;
struct AVFrame;
struct AVFormatContext;
struct AVIOContext;
struct AVPacket;
struct AVStream;

// One audio file opened for decoding. Only a regular file is read, through a descriptor of our
// own; only the audio container formats of the program are probed, and a demuxer can never open
// a second file (a playlist named .mp3 stays a failure). The file must hold a decodable audio
// stream.
class AudioInput
{
public:
    AudioInput() = default;
    ~AudioInput();
    AudioInput(const AudioInput &) = delete;
    AudioInput &operator=(const AudioInput &) = delete;

    // 0 on success, else an AudioError code.
    int open(const QString &path);

    AVFormatContext *format() const { return m_format; }
    AVCodecContext *codec() const { return m_codec; }
    AVStream *stream() const;
    int descriptor() const { return m_fd; }

    // The next packet of the audio stream; false at the end of the file or on a read error.
    bool readPacket(AVPacket *packet);
    // Back to the first packet, with the decoder flushed.
    bool rewind();

    // The length that decoding the whole stream yields, in frames at `rate`; -1 when nothing
    // decodes. Reads the file's end rather than trusting its header, so a truncated file
    // measures what is really there.
    int64_t measureFrames(int rate);

private:
    struct Span;
    // Decodes one packet (null drains the decoder); true when a frame came out.
    bool decodePacket(const AVPacket *packet, AVFrame *frame, Span &span);
    bool decodeToEnd(AVPacket *packet, AVFrame *frame, Span &span);

    int m_fd = -1;
    AVIOContext *m_io = nullptr;
    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    int m_streamIndex = -1;
};
