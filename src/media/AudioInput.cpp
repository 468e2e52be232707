#include "AudioInput.h"

#include "media/AudioError.h"
#include "media/AudioFormats.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr int IoBufferSize = 64 * 1024;
// Packets read at the start, looking for one that decodes, before a file counts as not audio.
constexpr int MaxPacketsBeforeFirstFrame = 256;

// Runs of this many MPEG audio or ADTS frames, each starting where the last ended, are audio;
// junk makes a false frame now and then, but not eight in a row.
constexpr int MinFrameRun = 8;

int readFile(void *opaque, uint8_t *buffer, int size)
{
    auto *reader = static_cast<AudioInput::Reader *>(opaque);
    if ((reader->cancel && reader->cancel->load(std::memory_order_relaxed))
        || std::chrono::steady_clock::now() >= reader->deadline) {
        reader->interrupted = true;
        return AVERROR_EXIT;
    }
    if (reader->limitJunk && reader->sincePacket >= AudioInput::JunkLimit)
        return AVERROR_EOF;
    for (;;) {
        const ssize_t n = ::read(reader->fd, buffer, size_t(size));
        if (n > 0) {
            for (const int64_t block : reader->pictureBlocks) {
                if (block >= reader->position && block < reader->position + n) {
                    uint8_t &type = buffer[block - reader->position];
                    type = uint8_t((type & 0x80) | 1);
                }
            }
            reader->position += n;
            reader->sincePacket += n;
            return int(n);
        }
        if (n == 0)
            return AVERROR_EOF;
        if (errno != EINTR)
            return AVERROR(errno);
    }
}

int64_t seekFile(void *opaque, int64_t offset, int whence)
{
    auto *reader = static_cast<AudioInput::Reader *>(opaque);
    const int fd = reader->fd;
    if (whence & AVSEEK_SIZE) {
        struct stat st;
        return ::fstat(fd, &st) == 0 ? int64_t(st.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(fd, off_t(offset), whence & ~AVSEEK_FORCE);
    if (at >= 0) {
        reader->sincePacket = 0;
        reader->position = at;
    }
    return at < 0 ? AVERROR(errno) : int64_t(at);
}

// No demuxer gets to open another file or URL behind our back.
int refuseNestedOpen(AVFormatContext *, AVIOContext **, const char *, int, AVDictionary **)
{
    return AVERROR(EPERM);
}

// What the info frame at the start of an MPEG audio file states (Xing/Info tag with the
// encoder's extension): frames, stream bytes, the samples the encoder added at both ends.
struct MpegInfoTag
{
    int64_t frames = 0;
    int64_t bytes = 0;
    int64_t tagPos = 0;
    int samplesPerFrame = 0;
    int sampleRate = 0;
    bool mpeg1 = false;
    int delay = 0;
    int padding = 0;
    bool gapless = false;
};

uint32_t be32(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

bool readMpegInfoTag(int fd, MpegInfoTag &tag)
{
    uint8_t buffer[16384];
    off_t at = 0;
    ssize_t n = ::pread(fd, buffer, 10, 0);
    // Skip an ID3v2 tag: its size is four 7-bit bytes.
    if (n == 10 && std::memcmp(buffer, "ID3", 3) == 0) {
        at = 10 + ((buffer[6] & 0x7f) << 21 | (buffer[7] & 0x7f) << 14 | (buffer[8] & 0x7f) << 7
                   | (buffer[9] & 0x7f));
        if (buffer[5] & 0x10)
            at += 10;
    }
    n = ::pread(fd, buffer, sizeof buffer, at);
    if (n < 4)
        return false;
    const uint8_t *h = buffer;
    // The info frame is the first frame: layer III with a valid header.
    if (h[0] != 0xff || (h[1] & 0xe0) != 0xe0 || (h[1] & 0x06) != 0x02 || (h[2] & 0xf0) == 0xf0
        || (h[2] & 0x0c) == 0x0c)
        return false;
    const bool mpeg1 = (h[1] & 0x18) == 0x18;
    static const int Rates[3] = {44100, 48000, 32000};
    tag.sampleRate = Rates[(h[2] >> 2) & 3] >> (mpeg1 ? 0 : (h[1] & 0x18) == 0x10 ? 1 : 2);
    tag.mpeg1 = mpeg1;
    const bool mono = (h[3] & 0xc0) == 0xc0;
    const int offset = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (n < offset + 8 + 12 + 100 + 4 + 24)
        return false;
    const uint8_t *x = h + offset;
    if (std::memcmp(x, "Xing", 4) != 0 && std::memcmp(x, "Info", 4) != 0)
        return false;
    const uint32_t flags = be32(x + 4);
    const uint8_t *p = x + 8;
    if (!(flags & 1) || !(flags & 2))
        return false;
    tag.frames = be32(p);
    tag.bytes = be32(p + 4);
    p += 8;
    if (flags & 4)
        p += 100;
    if (flags & 8)
        p += 4;
    tag.tagPos = at;
    tag.samplesPerFrame = mpeg1 ? 1152 : 576;
    // The encoder's extension: a 9-byte name, then at byte 21 delay and padding in 12 bits each.
    if (std::memcmp(p, "LAME", 4) == 0 || std::memcmp(p, "Lavc", 4) == 0
        || std::memcmp(p, "Lavf", 4) == 0) {
        tag.delay = p[21] << 4 | p[22] >> 4;
        tag.padding = (p[22] & 0x0f) << 8 | p[23];
        tag.gapless = true;
    }
    return tag.frames > 0 && tag.bytes > 0;
}

// The length an MPEG audio frame header states, 0 when it is no header; -1 for a free-format
// frame, whose length only the next header tells.
int mpegFrameLength(const uint8_t *h, int size)
{
    if (size < 4 || h[0] != 0xff || (h[1] & 0xe0) != 0xe0)
        return 0;
    const int version = (h[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = 4 - ((h[1] >> 1) & 3);
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer == 4 || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    if (bitrateIndex == 0)
        return -1;
    static const short Kbps[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // MPEG-1 layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // MPEG-1 layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // MPEG-1 layer III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // MPEG-2 layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // MPEG-2 II, III
    };
    static const int Rates[3] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int rate = Rates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const int bitrate = 1000 * Kbps[mpeg1 ? layer - 1 : layer == 1 ? 3 : 4][bitrateIndex];
    const int padding = (h[2] >> 1) & 1;
    if (layer == 1)
        return (12 * bitrate / rate + padding) * 4;
    return (layer == 3 && !mpeg1 ? 72 : 144) * bitrate / rate + padding;
}

// Whether a packet of raw MPEG audio or ADTS is exactly one frame as its header states. The
// demuxer hands junk on as packets that start at a false header and run to the next one.
bool isWholeFrame(bool adts, const uint8_t *data, int size)
{
    if (adts) {
        if (size < 7 || data[0] != 0xff || (data[1] & 0xf6) != 0xf0)
            return false;
        return ((data[3] & 3) << 11 | data[4] << 3 | data[5] >> 5) == size;
    }
    const int length = mpegFrameLength(data, size);
    return length == size || length == -1;
}

// Whether the tag's counts describe this file: its bytes are those after the tag's frame (an
// ID3v1 tag may follow), and its average frame size is one that layer III can have. Files joined
// together, or a count patched by hand, fail.
bool tagMatchesFile(const MpegInfoTag &tag, int64_t fileSize)
{
    const int64_t present = fileSize - tag.tagPos;
    if (present < tag.bytes || present - tag.bytes > 128)
        return false;
    // Frame bytes = samples per frame / 8 x bit rate / sample rate, plus a padding byte.
    const double perKbps = tag.samplesPerFrame / 8.0 * 1000.0 / tag.sampleRate;
    const double smallest = perKbps * (tag.mpeg1 ? 32 : 8);
    const double largest = perKbps * (tag.mpeg1 ? 320 : 160) + 1;
    const double average = double(tag.bytes) / double(tag.frames);
    return average >= smallest * 0.9 && average <= largest * 1.1;
}

// Where the ID3v2 tags at the start of a file end (0 without one). The demuxer would read each
// attached picture whole, of any size: it starts reading behind them, and the song's tags and
// cover are read by the tag reader, which reads only the one picture it uses.
int64_t id3TagsEnd(int fd, int64_t fileSize)
{
    int64_t at = 0;
    uint8_t h[10];
    while (at + 10 <= fileSize && ::pread(fd, h, 10, off_t(at)) == 10 && std::memcmp(h, "ID3", 3) == 0
           && h[3] != 0xff && h[4] != 0xff && !((h[6] | h[7] | h[8] | h[9]) & 0x80)) {
        at += 10 + (int64_t(h[6]) << 21 | h[7] << 14 | h[8] << 7 | h[9]);
        if (h[3] >= 4 && (h[5] & 0x10))
            at += 10;
    }
    return std::min(at, fileSize);
}

// The offsets of the type bytes of a native FLAC file's PICTURE blocks.
std::vector<int64_t> flacPictureBlocks(int fd, int64_t start, int64_t fileSize)
{
    std::vector<int64_t> blocks;
    uint8_t h[4];
    if (::pread(fd, h, 4, off_t(start)) != 4 || std::memcmp(h, "fLaC", 4) != 0)
        return blocks;
    // A file has a handful of blocks; this many is a hostile one, whose rest the demuxer refuses.
    constexpr int MaxBlocks = 4096;
    int64_t at = start + 4;
    for (int i = 0; i < MaxBlocks && at + 4 <= fileSize; ++i) {
        if (::pread(fd, h, 4, off_t(at)) != 4)
            break;
        if ((h[0] & 0x7f) == 6)
            blocks.push_back(at);
        if (h[0] & 0x80)
            break;
        at += 4 + (int64_t(h[1]) << 16 | h[2] << 8 | h[3]);
    }
    return blocks;
}

} // namespace

// Timestamps met while reading, in the stream's time base.
struct AudioInput::Span
{
    int64_t packetEnd = AV_NOPTS_VALUE;
    int64_t frameEnd = AV_NOPTS_VALUE;
    int64_t firstPacket = AV_NOPTS_VALUE;
    int packets = 0;
    int frames = 0;
    // The file offset just past the last packet; -1 once a packet came without its offset.
    int64_t byteEnd = 0;

    void addPacket(const AVPacket *packet)
    {
        add(packet->pts, packet->dts, packet->duration);
        addBytes(packet->pos, packet->size);
    }

    void addBytes(int64_t pos, int size)
    {
        if (pos < 0)
            byteEnd = -1;
        else if (byteEnd >= 0)
            byteEnd = std::max(byteEnd, pos + size);
    }

    void add(int64_t pts, int64_t dts, int64_t duration)
    {
        int64_t at = pts != AV_NOPTS_VALUE ? pts : dts;
        if (at == AV_NOPTS_VALUE)
            at = packetEnd == AV_NOPTS_VALUE ? 0 : packetEnd;
        if (firstPacket == AV_NOPTS_VALUE)
            firstPacket = at;
        const int64_t end = at + std::max<int64_t>(duration, 0);
        if (packetEnd == AV_NOPTS_VALUE || end > packetEnd)
            packetEnd = end;
        ++packets;
    }

    // Decoded frames come after the decoder dropped its delay and padding: their end is the
    // end a listener hears.
    void addFrame(const AVFrame *frame, AVRational tb)
    {
        int64_t at = frame->best_effort_timestamp;
        if (at == AV_NOPTS_VALUE)
            at = frameEnd == AV_NOPTS_VALUE ? 0 : frameEnd;
        const int64_t end = at + av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate}, tb);
        if (frameEnd == AV_NOPTS_VALUE || end > frameEnd)
            frameEnd = end;
        ++frames;
    }
};

AudioInput::~AudioInput()
{
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
    if (m_reader.fd >= 0)
        ::close(m_reader.fd);
}

AVStream *AudioInput::stream() const
{
    return m_format && m_streamIndex >= 0 ? m_format->streams[m_streamIndex] : nullptr;
}

int AudioInput::open(const QString &path)
{
    // The program reads no file through the libraries' own logging: keep the terminal quiet.
    [[maybe_unused]] static const bool quiet = (av_log_set_level(AV_LOG_QUIET), true);
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return AudioErrorFileOpen;
    // O_NONBLOCK: a FIFO must not hang the open; it is refused by the type test below.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    m_reader.fd = fd;
    if (fd < 0)
        return AudioErrorFileOpen;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
        return AudioErrorFileOpen;
    m_fileSize = int64_t(st.st_size);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    auto *buffer = static_cast<unsigned char *>(av_malloc(IoBufferSize));
    if (!buffer)
        return AudioErrorMemory;
    m_io = avio_alloc_context(buffer, IoBufferSize, 0, &m_reader, readFile, nullptr, seekFile);
    if (!m_io) {
        av_free(buffer);
        return AudioErrorMemory;
    }
    m_format = avformat_alloc_context();
    if (!m_format)
        return AudioErrorMemory;
    m_format->pb = m_io;
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    m_format->skip_initial_bytes = id3TagsEnd(fd, m_fileSize);
    m_reader.pictureBlocks = flacPictureBlocks(fd, m_format->skip_initial_bytes, m_fileSize);
    m_format->io_open = refuseNestedOpen;

    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", AudioFormatWhitelist, 0);
    const int opened = avformat_open_input(&m_format, name.constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) // avformat_open_input frees the context on failure
        return AudioErrorFileFormat;

    // The stream search decodes a cover picture only for its size. A one-pixel budget stops its
    // decoder at the header: a 15000x15000 PNG cover cost 700 MB here before.
    std::vector<AVDictionary *> streamOptions(m_format->nb_streams, nullptr);
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        if (m_format->streams[i]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
            av_dict_set(&streamOptions[i], "max_pixels", "1", 0);
    }
    const int found = avformat_find_stream_info(m_format, streamOptions.data());
    for (AVDictionary *&streamOption : streamOptions)
        av_dict_free(&streamOption);
    if (found < 0)
        return AudioErrorFileFormat;
    const AVCodec *decoder = nullptr;
    m_streamIndex = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (m_streamIndex < 0 || !decoder)
        return m_streamIndex == AVERROR_DECODER_NOT_FOUND ? AudioErrorCodec : AudioErrorFileFormat;
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        m_format->streams[i]->discard = int(i) == m_streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    const AVCodecParameters *parameters = stream()->codecpar;
    if (!isPlausibleFormat(parameters->sample_rate, parameters->ch_layout.nb_channels))
        return AudioErrorFileFormat;
    m_codec = avcodec_alloc_context3(decoder);
    if (!m_codec)
        return AudioErrorMemory;
    if (avcodec_parameters_to_context(m_codec, parameters) < 0)
        return AudioErrorCodec;
    m_codec->pkt_timebase = stream()->time_base;
    if (avcodec_open2(m_codec, decoder, nullptr) < 0)
        return AudioErrorCodec;
    // The header is read; from here on a long stretch without packets ends the file.
    m_reader.limitJunk = true;
    m_reader.sincePacket = 0;
    return AudioOk;
}

bool AudioInput::isPlausibleFormat(int sampleRate, int channels)
{
    return sampleRate >= MinSampleRate && sampleRate <= MaxSampleRate && channels >= 1
        && channels <= MaxChannels;
}

void AudioInput::setBudget(const std::atomic<bool> *cancel, std::chrono::steady_clock::time_point deadline)
{
    m_reader.cancel = cancel;
    m_reader.deadline = deadline;
}

bool AudioInput::readPacket(AVPacket *packet)
{
    while (av_read_frame(m_format, packet) >= 0) {
        // The demuxer found something it can use, even if in another stream.
        m_reader.sincePacket = 0;
        if (packet->stream_index == m_streamIndex)
            return true;
        av_packet_unref(packet);
    }
    return false;
}

bool AudioInput::rewind()
{
    AVStream *st = stream();
    const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    bool ok = avformat_seek_file(m_format, m_streamIndex, INT64_MIN, start, start, 0) >= 0;
    if (!ok)
        ok = av_seek_frame(m_format, m_streamIndex, 0, AVSEEK_FLAG_BYTE) >= 0;
    avcodec_flush_buffers(m_codec);
    return ok;
}

bool AudioInput::decodePacket(const AVPacket *packet, AVFrame *frame, Span &span)
{
    if (avcodec_send_packet(m_codec, packet) < 0)
        return false;
    bool any = false;
    while (avcodec_receive_frame(m_codec, frame) >= 0) {
        if (frame->nb_samples > 0 && frame->sample_rate > 0) {
            span.addFrame(frame, stream()->time_base);
            any = true;
        }
        av_frame_unref(frame);
    }
    return any;
}

bool AudioInput::decodeToEnd(AVPacket *packet, AVFrame *frame, Span &span)
{
    while (readPacket(packet)) {
        span.addPacket(packet);
        decodePacket(packet, frame, span);
        av_packet_unref(packet);
    }
    // Codecs with a delay give their last frames only when drained.
    decodePacket(nullptr, frame, span);
    return span.frames > 0;
}

bool AudioInput::firstFrame(AVPacket *packet, AVFrame *frame, Span &head)
{
    while (head.frames == 0 && head.packets < MaxPacketsBeforeFirstFrame && readPacket(packet)) {
        head.addPacket(packet);
        decodePacket(packet, frame, head);
        av_packet_unref(packet);
    }
    return head.frames > 0 && !m_reader.interrupted;
}

bool AudioInput::decodesAtStart()
{
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    Span head;
    const bool ok = packet && frame && firstFrame(packet, frame, head);
    av_packet_free(&packet);
    av_frame_free(&frame);
    return ok;
}

void AudioInput::readRest(AVPacket *packet, Span &span)
{
    // Raw MPEG audio and ADTS have no container: the demuxer skips whatever is not a frame
    // header, and junk holds a false one every few kilobytes.
    const char *name = m_format->iformat->name;
    const bool adts = std::strcmp(name, "aac") == 0;
    const bool framesOnly = adts || std::strcmp(name, "mp3") == 0;
    struct Pending
    {
        int64_t pts, dts, duration;
    };
    Pending run[MinFrameRun];
    int runLength = MinFrameRun; // the head that decoded is audio
    int64_t runEnd = -1;
    int64_t audioEnd = -1;
    while (readPacket(packet)) {
        if (!framesOnly || packet->pos < 0) {
            span.addPacket(packet);
            av_packet_unref(packet);
            continue;
        }
        if (packet->pos != runEnd || !isWholeFrame(adts, packet->data, packet->size))
            runLength = 0;
        runEnd = packet->pos + packet->size;
        if (audioEnd < 0)
            audioEnd = packet->pos;
        if (runLength < MinFrameRun) {
            run[runLength] = {packet->pts, packet->dts, packet->duration};
            if (++runLength == MinFrameRun) {
                for (const Pending &p : run)
                    span.add(p.pts, p.dts, p.duration);
            }
        } else {
            span.addPacket(packet);
        }
        if (runLength >= MinFrameRun)
            audioEnd = runEnd;
        const bool junkOnly = packet->pos - audioEnd > JunkLimit;
        av_packet_unref(packet);
        if (junkOnly)
            break;
    }
    // The audio ends with the last run of frames, whatever false frames the junk after it held.
    if (framesOnly && audioEnd >= 0)
        span.addBytes(audioEnd, 0);
}

int64_t AudioInput::encoderReadLimit() const
{
    // Raw streams and chunked files need nothing after their last packet. An MP4's index may
    // follow its audio, and a WMA's index does: those are read whole.
    static constexpr const char *NothingAfterAudio[] = {"aac", "aiff", "flac", "mp3", "ogg", "wav"};
    if (m_audioBytesEnd < 0 || !m_format)
        return -1;
    const char *name = m_format->iformat->name;
    if (std::none_of(std::begin(NothingAfterAudio), std::end(NothingAfterAudio),
                     [name](const char *format) { return std::strcmp(format, name) == 0; }))
        return -1;
    // Tags after the audio (ID3v1, APE) are well within the margin.
    const int64_t limit = m_audioBytesEnd + JunkLimit;
    return limit < m_fileSize ? limit : -1;
}

int64_t AudioInput::measureFrames(int rate)
{
    AVStream *st = stream();
    const AVRational tb = st->time_base;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    m_audioBytesEnd = -1;
    const auto done = [&](int64_t result) {
        av_packet_free(&packet);
        av_frame_free(&frame);
        return m_reader.interrupted ? -1 : result;
    };
    if (!packet || !frame)
        return done(-1);

    // Something must decode at the start, or the file is no audio we can play.
    Span head;
    if (!firstFrame(packet, frame, head))
        return done(-1);
    const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : head.firstPacket;

    // Where the header states the length, only the last seconds are decoded: those packets carry
    // their own timestamps, so a header that claims more than the file holds (a truncated
    // download) shows. A length estimated from the bit rate is no length: every packet is read.
    int64_t claimedEnd = AV_NOPTS_VALUE;
    if (m_format->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            claimedEnd = start + st->duration;
        else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
            claimedEnd = start + av_rescale_q(m_format->duration, AV_TIME_BASE_Q, tb);
    }
    // MPEG audio: the info frame states frames and bytes exactly, and seeking near the end
    // would need an index built from the whole file. When the counts describe this file, the
    // stated length holds; otherwise every packet is read.
    if (std::strcmp(m_format->iformat->name, "mp3") == 0) {
        MpegInfoTag tag;
        if (readMpegInfoTag(m_reader.fd, tag) && tagMatchesFile(tag, m_fileSize)) {
            int64_t samples = tag.frames * tag.samplesPerFrame;
            // What the decoder drops: the encoder's delay and padding, or its own delay.
            samples -= tag.gapless ? tag.delay + tag.padding : 529;
            const int sampleRate = st->codecpar->sample_rate;
            return done(samples > 0 ? av_rescale(samples, rate, sampleRate) : -1);
        }
        claimedEnd = AV_NOPTS_VALUE;
    }

    int64_t end = AV_NOPTS_VALUE;
    int64_t bytesEnd = -1;
    if (claimedEnd == AV_NOPTS_VALUE) {
        Span all = head;
        readRest(packet, all);
        end = all.packetEnd;
        bytesEnd = all.byteEnd;
    } else {
        const int64_t tailStart = claimedEnd - av_rescale_q(2, AVRational{1, 1}, tb);
        if (tailStart <= head.packetEnd) {
            Span all = head;
            decodeToEnd(packet, frame, all);
            end = all.frameEnd;
            bytesEnd = all.byteEnd;
        } else {
            avcodec_flush_buffers(m_codec);
            Span tail;
            if (avformat_seek_file(m_format, m_streamIndex, INT64_MIN, tailStart, tailStart, 0) >= 0
                && decodeToEnd(packet, frame, tail) && tail.firstPacket > head.packetEnd) {
                end = tail.frameEnd;
                bytesEnd = tail.byteEnd;
            } else {
                // The end is not where the header puts it (or the seek went back to the start):
                // read every packet from the beginning.
                if (!rewind())
                    return done(-1);
                Span all;
                readRest(packet, all);
                end = all.packetEnd;
                bytesEnd = all.byteEnd;
            }
        }
    }
    m_audioBytesEnd = bytesEnd > 0 ? bytesEnd : -1;
    if (end == AV_NOPTS_VALUE || end <= start)
        return done(-1);
    const double seconds = double(end - start) * av_q2d(tb);
    return done(int64_t(std::llround(seconds * rate)));
}
