#pragma once

#include <QString>
#include <QStringList>

// Audio files made at test time with the real ffmpeg and sox.
namespace AudioFixtures {

QString ffmpegPath();
QString soxPath();

// Runs a tool to its end; true when it exits 0. Its output lands in *output when given.
bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);

// A 440 Hz sine of `seconds` written by ffmpeg with the given output options, e.g.
// {"-ar", "22050", "-ac", "1", "-c:a", "libvorbis"}.
bool makeTone(const QString &path, double seconds, const QStringList &outputOptions,
              double frequency = 440.0);

// The decoded length of the audio in seconds as ffmpeg reports it at the end of
// `ffmpeg -i FILE -vn -f null -`;
// negative when it reports none.
double decodedLength(const QString &path);

// Copies the first `bytes` bytes of a file.
bool truncateCopy(const QString &from, const QString &to, qint64 bytes);

} // namespace AudioFixtures
