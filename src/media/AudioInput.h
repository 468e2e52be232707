#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

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

    // Audio beyond these is no real recording; their conversion alone could take gigabytes.
    static constexpr int MinSampleRate = 1000;
    static constexpr int MaxSampleRate = 768000;
    static constexpr int MaxChannels = 64;
    // Bytes read without the demuxer finding a packet (or, in MPEG audio and ADTS, without a run
    // of consecutive frames) before the rest of the file counts as not audio: a pre-allocated
    // download ends in zeros or junk.
    static constexpr int64_t JunkLimit = 16 * 1024 * 1024;

    static bool isPlausibleFormat(int sampleRate, int channels);

    // 0 on success, else an AudioError code.
    int open(const QString &path);

    // Reading stops (as at the end of the file, with interrupted() true) once `cancel` is set or
    // the deadline has passed.
    void setBudget(const std::atomic<bool> *cancel, std::chrono::steady_clock::time_point deadline);
    bool interrupted() const { return m_reader.interrupted; }

    AVFormatContext *format() const { return m_format; }
    AVCodecContext *codec() const { return m_codec; }
    AVStream *stream() const;
    int descriptor() const { return m_reader.fd; }

    // The next packet of the audio stream; false at the end of the file or on a read error.
    bool readPacket(AVPacket *packet);
    // Back to the first packet, with the decoder flushed.
    bool rewind();

    // True when a packet at the start decodes to sound.
    bool decodesAtStart();

    // The length that decoding the whole stream yields, in frames at `rate`; -1 when nothing
    // decodes or the budget ran out. Reads the file's end rather than trusting its header, so a
    // truncated file measures what is really there.
    int64_t measureFrames(int rate);
    // After measureFrames(): how many bytes from the start of the file an encoder must read to get
    // all the audio that was measured, with a margin; -1 when it must read the whole file. A song
    // followed by a long stretch of zeros or junk (a pre-allocated download) is otherwise read to
    // its end by the encoder, at gigabytes of memory per gigabyte of file, and audio past the
    // junk would be encoded although it was neither measured nor played.
    int64_t encoderReadLimit() const;

    // What the read callbacks share with the reader: the descriptor, the budget, and the bytes
    // read since the demuxer last found a packet.
    struct Reader
    {
        int fd = -1;
        int64_t position = 0;
        // Offsets of FLAC PICTURE block types, shown to the demuxer as padding so it skips the
        // pictures instead of reading each one whole.
        std::vector<int64_t> pictureBlocks;
        const std::atomic<bool> *cancel = nullptr;
        std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
        bool limitJunk = false;
        int64_t sincePacket = 0;
        bool interrupted = false;
    };

private:
    struct Span;
    // Decodes one packet (null drains the decoder); true when a frame came out.
    bool decodePacket(const AVPacket *packet, AVFrame *frame, Span &span);
    bool decodeToEnd(AVPacket *packet, AVFrame *frame, Span &span);

    bool firstFrame(AVPacket *packet, AVFrame *frame, Span &head);
    // The rest of the packets into span, as far as they are audio.
    void readRest(AVPacket *packet, Span &span);

    Reader m_reader;
    AVIOContext *m_io = nullptr;
    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    int m_streamIndex = -1;
    int64_t m_fileSize = 0;
    int64_t m_audioBytesEnd = -1;
};
