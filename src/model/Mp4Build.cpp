#include "model/Mp4Build.h"

#include "media/AudioFormats.h"
#include "model/VideoBuild.h"

#include <QFile>
#include <QLocale>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct FormatCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
using FormatPointer = std::unique_ptr<AVFormatContext, FormatCloser>;

struct CodecFreer
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct PacketFreer
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct FrameFreer
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};

// Opens a file and searches its streams. With audioOnly, a stream that is not audio is left out
// of what is read afterwards, and the search stops a cover picture's decoder at its header
// instead of decoding the whole picture only to learn its size.
FormatPointer openInput(const QString &path, bool audioOnly = false)
{
    AVFormatContext *context = nullptr;
    // A local file only, whatever its name looks like.
    const QByteArray url = "file:" + QFile::encodeName(path);
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", AudioFormatWhitelist, 0);
    const int opened = avformat_open_input(&context, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return {};
    FormatPointer pointer(context);
    std::vector<AVDictionary *> streamOptions(context->nb_streams, nullptr);
    if (audioOnly) {
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            if (context->streams[i]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) {
                context->streams[i]->discard = AVDISCARD_ALL;
                av_dict_set(&streamOptions[i], "max_pixels", "1", 0);
            }
        }
    }
    const int found = avformat_find_stream_info(context, streamOptions.empty() ? nullptr : streamOptions.data());
    for (AVDictionary *&streamOption : streamOptions)
        av_dict_free(&streamOption);
    if (found < 0)
        return {};
    return pointer;
}

// The fields of an ADTS header that the copied stream's one configuration stands for: the
// object type, the sampling rate's index and the channel configuration. -1 when the packet is
// not one whole ADTS frame.
int adtsConfiguration(const AVPacket *packet)
{
    const uint8_t *d = packet->data;
    if (packet->size < 7 || d[0] != 0xff || (d[1] & 0xf6) != 0xf0)
        return -1;
    const int frameLength = ((d[3] & 0x03) << 11) | (d[4] << 3) | (d[5] >> 5);
    const int rawBlocks = d[6] & 0x03;
    if (frameLength != packet->size || rawBlocks != 0)
        return -1;
    const int objectType = d[2] >> 6;
    const int rateIndex = (d[2] >> 2) & 0x0f;
    const int channels = ((d[2] & 0x01) << 2) | (d[3] >> 6);
    return (objectType << 8) | (rateIndex << 4) | channels;
}

QString seconds(double value)
{
    return QLocale::c().toString(value, 'f', 3) + QStringLiteral(" s");
}

// One run of video packets from a key frame to the next.
using PacketRun = std::vector<QByteArray>;

// True when run is a prefix of a run already decoded (the last run of a file may be cut short).
bool isKnownRun(const PacketRun &run, const std::vector<PacketRun> &decoded)
{
    for (const PacketRun &known : decoded) {
        if (run.size() > known.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < run.size() && same; ++i)
            same = run[i] == known[i];
        if (same)
            return true;
    }
    return false;
}

// Decodes one run from a fresh decoder that treats every irregularity as an error.
QString decodeRun(const AVCodecParameters *parameters, const PacketRun &run, QSize size)
{
    const AVCodec *codec = avcodec_find_decoder(parameters->codec_id);
    std::unique_ptr<AVCodecContext, CodecFreer> decoder(avcodec_alloc_context3(codec));
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    if (!codec || !decoder || !packet || !frame
        || avcodec_parameters_to_context(decoder.get(), parameters) < 0)
        return QStringLiteral("no H.264 decoder is available");
    decoder->err_recognition = AV_EF_EXPLODE | AV_EF_CRCCHECK | AV_EF_BITSTREAM | AV_EF_BUFFER;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return QStringLiteral("no H.264 decoder is available");

    size_t frames = 0;
    QString fault;
    const auto receive = [&]() {
        for (;;) {
            const int got = avcodec_receive_frame(decoder.get(), frame.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return true;
            if (got < 0) {
                fault = QStringLiteral("a video frame does not decode");
                return false;
            }
            if (frame->width != size.width() || frame->height != size.height()
                || frame->format != AV_PIX_FMT_YUV420P || frame->decode_error_flags != 0
                || (frame->flags & AV_FRAME_FLAG_CORRUPT)) {
                fault = QStringLiteral("a video frame decodes damaged");
                return false;
            }
            ++frames;
            av_frame_unref(frame.get());
        }
    };
    for (const QByteArray &data : run) {
        av_packet_unref(packet.get());
        if (av_new_packet(packet.get(), int(data.size())) < 0)
            return QStringLiteral("out of memory");
        memcpy(packet->data, data.constData(), size_t(data.size()));
        if (avcodec_send_packet(decoder.get(), packet.get()) < 0)
            return QStringLiteral("a video frame does not decode");
        if (!receive())
            return fault;
    }
    avcodec_send_packet(decoder.get(), nullptr);
    if (!receive())
        return fault;
    if (frames != run.size())
        return QStringLiteral("%1 of %2 video frames decode").arg(frames).arg(run.size());
    return {};
}

// The AAC-LC output of input `input`'s first audio stream, its tags kept.
QStringList aacOutputArguments(int input, const QString &encodedAudioPath)
{
    return {QStringLiteral("-map"), QStringLiteral("%1:a:0").arg(input), QStringLiteral("-map_metadata"),
            QString::number(input), QStringLiteral("-vn"), QStringLiteral("-c:a"), QStringLiteral("aac"),
            QStringLiteral("-b:a"), QStringLiteral("192k"), QStringLiteral("-f"), QStringLiteral("mp4"),
            encodedAudioPath};
}
// Decodes an audio stream packet by packet, strictly: a packet that does not decode, or a frame
// at another rate or channel count than the stream declares, is a fault.
class AudioDecode
{
public:
    explicit AudioDecode(const AVCodecParameters *parameters)
        : m_parameters(parameters)
    {
        const AVCodec *codec = avcodec_find_decoder(parameters->codec_id);
        m_decoder.reset(avcodec_alloc_context3(codec));
        m_frame.reset(av_frame_alloc());
        if (!codec || !m_decoder || !m_frame || avcodec_parameters_to_context(m_decoder.get(), parameters) < 0) {
            m_fault = QStringLiteral("no AAC decoder is available");
            return;
        }
        m_decoder->err_recognition = AV_EF_EXPLODE | AV_EF_CRCCHECK | AV_EF_BITSTREAM | AV_EF_BUFFER;
        if (avcodec_open2(m_decoder.get(), codec, nullptr) < 0)
            m_fault = QStringLiteral("no AAC decoder is available");
    }

    // False once a fault is found; fault() then says which.
    bool decode(const AVPacket *packet)
    {
        if (!m_fault.isEmpty())
            return false;
        if (avcodec_send_packet(m_decoder.get(), packet) < 0) {
            m_fault = QStringLiteral("an audio packet does not decode");
            return false;
        }
        for (;;) {
            const int got = avcodec_receive_frame(m_decoder.get(), m_frame.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
                return true;
            if (got < 0) {
                m_fault = QStringLiteral("an audio packet does not decode");
                return false;
            }
            const bool same = m_frame->sample_rate == m_parameters->sample_rate
                && m_frame->ch_layout.nb_channels == m_parameters->ch_layout.nb_channels
                && !(m_frame->flags & AV_FRAME_FLAG_CORRUPT) && m_frame->decode_error_flags == 0;
            av_frame_unref(m_frame.get());
            if (!same) {
                m_fault = QStringLiteral("an audio frame does not match the stream's rate and channels");
                return false;
            }
        }
    }
    bool finish() { return decode(nullptr); }
    QString fault() const { return m_fault; }

private:
    const AVCodecParameters *m_parameters;
    std::unique_ptr<AVCodecContext, CodecFreer> m_decoder;
    std::unique_ptr<AVFrame, FrameFreer> m_frame;
    QString m_fault;
};

} // namespace

QStringList mp4PieceArguments(const QString &picturePath, int width, int height,
                              const QString &piecePath, const QString &audioPath,
                              const QString &encodedAudioPath, qint64 audioReadLimit)
{
    const QString frames = QString::number(Mp4PieceFrames);
    // The picture is read and converted once; the loop filter hands the encoder the same frame.
    const QString filter = QStringLiteral(
                               "scale=%1:%2:out_color_matrix=bt709:out_range=tv,format=yuv420p,"
                               "loop=loop=%3:size=1:start=0,setpts=N/%4/TB")
                               .arg(width)
                               .arg(height)
                               .arg(Mp4PieceFrames - 1)
                               .arg(Mp4FrameRate);
    QStringList arguments{QStringLiteral("-y")};
    arguments << encoderPictureInput(picturePath, false);
    if (!encodedAudioPath.isEmpty())
        arguments << encoderAudioInput(audioPath, audioReadLimit);
    arguments << QStringLiteral("-map") << QStringLiteral("0:v:0") << QStringLiteral("-vf") << filter
              << QStringLiteral("-frames:v") << frames << QStringLiteral("-r")
              << QString::number(Mp4FrameRate) << QStringLiteral("-c:v") << QStringLiteral("libx264")
              << QStringLiteral("-preset") << QStringLiteral("veryfast") << QStringLiteral("-tune")
              << QStringLiteral("stillimage") << QStringLiteral("-crf") << QStringLiteral("18")
              << QStringLiteral("-profile:v") << QStringLiteral("high") << QStringLiteral("-g") << frames
              << QStringLiteral("-bf") << QStringLiteral("0")
              // Without a scene cut the piece has one key frame, at its start, wherever it repeats.
              << QStringLiteral("-x264-params") << QStringLiteral("scenecut=0")
              << QStringLiteral("-colorspace") << QStringLiteral("bt709") << QStringLiteral("-color_primaries")
              << QStringLiteral("bt709") << QStringLiteral("-color_trc") << QStringLiteral("bt709")
              << QStringLiteral("-color_range") << QStringLiteral("tv") << QStringLiteral("-an")
              << QStringLiteral("-f") << QStringLiteral("mp4") << piecePath;
    if (!encodedAudioPath.isEmpty())
        arguments << aacOutputArguments(1, encodedAudioPath);
    return arguments;
}

QStringList mp4AudioArguments(const QString &audioPath, const QString &encodedAudioPath, qint64 audioReadLimit)
{
    return QStringList{QStringLiteral("-y")} + encoderAudioInput(audioPath, audioReadLimit)
        + aacOutputArguments(0, encodedAudioPath);
}

QStringList mp4MuxArguments(const QString &piecePath, const QString &audioPath, double duration,
                            const QString &outputPath, qint64 audioReadLimit)
{
    // The piece is our own MP4; the audio is the song itself when it is copied.
    return QStringList{QStringLiteral("-y"),
            QStringLiteral("-stream_loop"), QStringLiteral("-1"),
            QStringLiteral("-protocol_whitelist"), QStringLiteral("file"), QStringLiteral("-f"), QStringLiteral("mov"),
            QStringLiteral("-i"), piecePath}
        + encoderAudioInput(audioPath, audioReadLimit)
        + QStringList{QStringLiteral("-map"), QStringLiteral("0:v:0"),
            QStringLiteral("-map"), QStringLiteral("1:a:0"),
            QStringLiteral("-map_metadata"), QStringLiteral("1"),
            QStringLiteral("-c"), QStringLiteral("copy"),
            QStringLiteral("-t"), QLocale::c().toString(duration, 'f', 6),
            QStringLiteral("-movflags"), QStringLiteral("+faststart"),
            QStringLiteral("-f"), QStringLiteral("mp4"),
            outputPath};
}

bool isAacLcAudio(const QString &audioPath, qint64 readLimit)
{
    const FormatPointer input = openInput(audioPath, true);
    if (!input)
        return false;
    // The muxer maps the first audio stream; it is the one that must be AAC-LC.
    int index = -1;
    for (unsigned i = 0; i < input->nb_streams && index < 0; ++i) {
        if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            index = int(i);
    }
    if (index < 0)
        return false;
    for (unsigned i = 0; i < input->nb_streams; ++i)
        input->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    const AVCodecParameters *parameters = input->streams[index]->codecpar;
    if (parameters->codec_id != AV_CODEC_ID_AAC || parameters->profile != FF_PROFILE_AAC_LOW)
        return false;

    // A copy carries one configuration, taken from the start; a stream that changes it on the way
    // (two ADTS files joined, a new sample description) must be encoded instead.
    const bool adts = std::strcmp(input->iformat->name, "aac") == 0;
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    if (!packet)
        return false;
    int configuration = -1;
    int read = 0;
    while ((read = av_read_frame(input.get(), packet.get())) >= 0) {
        const bool ours = packet->stream_index == index;
        // The encoder reads no further than the limit.
        if (ours && readLimit > 0 && packet->pos >= 0 && packet->pos + packet->size > readLimit) {
            read = AVERROR_EOF;
            break;
        }
        bool agrees = true;
        if (ours) {
            if (av_packet_get_side_data(packet.get(), AV_PKT_DATA_NEW_EXTRADATA, nullptr)
                || av_packet_get_side_data(packet.get(), AV_PKT_DATA_PARAM_CHANGE, nullptr)) {
                agrees = false;
            } else if (adts) {
                const int own = adtsConfiguration(packet.get());
                agrees = own >= 0 && (configuration < 0 || own == configuration);
                configuration = own;
            }
        }
        av_packet_unref(packet.get());
        if (!agrees)
            return false;
    }
    av_packet_unref(packet.get());
    return read == AVERROR_EOF;
}

QString checkMp4File(const QString &path, const Mp4Expectation &expected)
{
    const FormatPointer input = openInput(path);
    if (!input)
        return QStringLiteral("The video cannot be read back.");

    int videoIndex = -1;
    int audioIndex = -1;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVCodecParameters *parameters = input->streams[i]->codecpar;
        int &index = parameters->codec_type == AVMEDIA_TYPE_VIDEO   ? videoIndex
                     : parameters->codec_type == AVMEDIA_TYPE_AUDIO ? audioIndex
                                                                    : videoIndex;
        if (parameters->codec_type != AVMEDIA_TYPE_VIDEO && parameters->codec_type != AVMEDIA_TYPE_AUDIO)
            return QStringLiteral("The video holds a stream that is neither video nor audio.");
        if (index >= 0)
            return QStringLiteral("The video holds more than one video or audio stream.");
        index = int(i);
    }
    if (videoIndex < 0 || audioIndex < 0)
        return QStringLiteral("The video lacks its video or its audio stream.");

    const AVStream *video = input->streams[videoIndex];
    const AVStream *audio = input->streams[audioIndex];
    const AVCodecParameters *v = video->codecpar;
    const AVCodecParameters *a = audio->codecpar;
    if (v->codec_id != AV_CODEC_ID_H264 || v->profile != FF_PROFILE_H264_HIGH || v->format != AV_PIX_FMT_YUV420P)
        return QStringLiteral("The video stream is not H.264 High profile in yuv420p.");
    if (QSize(v->width, v->height) != expected.videoSize) {
        return QStringLiteral("The video is %1x%2, not %3x%4.")
            .arg(v->width)
            .arg(v->height)
            .arg(expected.videoSize.width())
            .arg(expected.videoSize.height());
    }
    if (a->codec_id != AV_CODEC_ID_AAC || a->profile != FF_PROFILE_AAC_LOW)
        return QStringLiteral("The audio stream is not AAC-LC.");

    const double frame = 1.0 / Mp4FrameRate;
    const int64_t frameTicks = av_rescale_q(1, AVRational{1, Mp4FrameRate}, video->time_base);
    int64_t videoEnd = AV_NOPTS_VALUE;
    int64_t audioEnd = AV_NOPTS_VALUE;
    int64_t lastVideoPts = AV_NOPTS_VALUE;
    std::vector<PacketRun> decoded;
    PacketRun run;
    QString fault;
    const auto closeRun = [&]() {
        if (run.empty() || isKnownRun(run, decoded))
            return true;
        fault = decodeRun(v, run, expected.videoSize);
        if (!fault.isEmpty())
            return false;
        decoded.push_back(std::move(run));
        return true;
    };

    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    if (!packet)
        return QStringLiteral("Out of memory while checking the video.");
    std::unique_ptr<AudioDecode> audioDecode;
    if (expected.audioCopied)
        audioDecode = std::make_unique<AudioDecode>(a);
    int read;
    while ((read = av_read_frame(input.get(), packet.get())) >= 0) {
        if (packet->stream_index == videoIndex) {
            // A constant frame rate: every frame follows the one before by exactly one frame.
            if (packet->pts == AV_NOPTS_VALUE
                || (lastVideoPts != AV_NOPTS_VALUE && packet->pts - lastVideoPts != frameTicks)) {
                av_packet_unref(packet.get());
                return QStringLiteral("The video's frames are not evenly spaced at %1 fps.").arg(Mp4FrameRate);
            }
            lastVideoPts = packet->pts;
            videoEnd = packet->pts + (packet->duration > 0 ? packet->duration : frameTicks);
            if (packet->flags & AV_PKT_FLAG_KEY) {
                if (!closeRun()) {
                    av_packet_unref(packet.get());
                    return QStringLiteral("The video does not decode: %1.").arg(fault);
                }
                run.clear();
            } else if (run.empty() && decoded.empty()) {
                av_packet_unref(packet.get());
                return QStringLiteral("The video does not begin with a key frame.");
            }
            run.emplace_back(reinterpret_cast<const char *>(packet->data), packet->size);
        } else if (packet->stream_index == audioIndex) {
            if (audioDecode && !audioDecode->decode(packet.get())) {
                av_packet_unref(packet.get());
                return QStringLiteral("The audio does not decode: %1.").arg(audioDecode->fault());
            }
            if (packet->pts != AV_NOPTS_VALUE) {
                audioEnd = std::max<int64_t>(audioEnd == AV_NOPTS_VALUE ? 0 : audioEnd,
                                             packet->pts + packet->duration);
            }
        }
        av_packet_unref(packet.get());
    }
    if (read != AVERROR_EOF)
        return QStringLiteral("The video cannot be read to its end.");
    if (!closeRun())
        return QStringLiteral("The video does not decode: %1.").arg(fault);
    if (audioDecode && !audioDecode->finish())
        return QStringLiteral("The audio does not decode: %1.").arg(audioDecode->fault());
    if (videoEnd == AV_NOPTS_VALUE || audioEnd == AV_NOPTS_VALUE)
        return QStringLiteral("The video lacks its video or its audio.");

    const auto toSeconds = [](int64_t ticks, const AVStream *stream) {
        const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
        return double(ticks - start) * av_q2d(stream->time_base);
    };
    const double videoSeconds = toSeconds(videoEnd, video);
    const double audioSeconds = toSeconds(audioEnd, audio);
    // A little slack on top of a frame for rounding in the containers' time bases.
    const double slack = frame + 0.001;
    if (std::fabs(videoSeconds - expected.audioDuration) > slack
        || std::fabs(audioSeconds - expected.audioDuration) > slack) {
        return QStringLiteral("The video lasts %1 and its audio %2, but the song lasts %3.")
            .arg(seconds(videoSeconds), seconds(audioSeconds), seconds(expected.audioDuration));
    }
    return {};
}
