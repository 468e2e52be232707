#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

// The MP4 build (H.264 + AAC-LC). The picture is encoded once, as one short piece of H.264 that
// opens with a key frame and repeats the picture at the full frame rate; the muxer then copies
// that piece over and over beside the audio for exactly the audio's length, so no frame is
// encoded twice. The audio is copied when it already is AAC-LC, encoded otherwise.

// 30 fps: what video sites expect, and free, since repeated pieces are copied, never encoded.
constexpr int Mp4FrameRate = 30;
// One key frame per second, so players can seek anywhere, at the price of one coded picture a
// second in the file.
constexpr int Mp4PieceFrames = Mp4FrameRate;

// The first pass: the picture, scaled to the video size, as one piece of Mp4PieceFrames frames
// in piecePath; when encodedAudioPath is not empty, the same run encodes audioPath's first
// audio stream to AAC-LC there (the two encoders then share the processor), reading no more than
// audioReadLimit bytes of it when that is positive.
QStringList mp4PieceArguments(const QString &picturePath, int width, int height,
                              const QString &piecePath, const QString &audioPath,
                              const QString &encodedAudioPath, qint64 audioReadLimit = -1);

// The first pass when the piece is made already: audioPath's first audio stream encoded to AAC-LC
// into encodedAudioPath, as mp4PieceArguments() encodes it.
QStringList mp4AudioArguments(const QString &audioPath, const QString &encodedAudioPath, qint64 audioReadLimit = -1);

// The second pass: the piece repeated and the audio copied into outputPath, cut at duration
// seconds, with the index at the front so playback can begin before the download ends.
// The song's tags go with it. A positive audioReadLimit bounds the bytes of the audio file read.
QStringList mp4MuxArguments(const QString &piecePath, const QString &audioPath, double duration,
                            const QString &outputPath, qint64 audioReadLimit = -1);

// True when the file's first audio stream is AAC-LC, the one AAC the output may carry as it is,
// and every one of its packets (up to readLimit bytes of the file when that is positive) has the
// configuration of the first: a copy carries only that one. Reads the whole stream, but decodes
// no cover picture: run it off the user-interface thread.
bool isAacLcAudio(const QString &audioPath, qint64 readLimit = -1);

// What a written MP4 must be.
struct Mp4Expectation
{
    QSize videoSize;
    double audioDuration = 0;  // seconds, as measured by the audio engine
    // The audio is the song's own, copied: every packet of it must decode.
    bool audioCopied = true;
};

// Checks a written MP4: one H.264 video stream (High profile, yuv420p, the expected size, a
// constant Mp4FrameRate) and one AAC-LC audio stream, both ending within one frame of the
// audio's duration, and every distinct run of video packets (from one key frame to the next)
// decoded without error into full frames; a run that repeats bytes already decoded is proved by
// that decode; copied audio decoded whole without error, at the stream's own rate and channels.
// Returns why the file fails, or an empty string when it passes.
// Reads the whole file: run it off the user-interface thread.
QString checkMp4File(const QString &path, const Mp4Expectation &expected);
