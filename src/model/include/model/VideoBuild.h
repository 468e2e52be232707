#pragma once

#include "tools/ToolRunner.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The decisions of one video build, kept apart from the job that runs it so that each can be
// checked on its own.

// What one video build needs.
struct VideoBuildRequest
{
    QString encoderPath;
    QString picturePath;       // the prepared picture; the encoder gets a private copy of it
    QString audioPath;
    double audioDuration = 0;  // seconds, as measured by the audio engine
    QString outputPath;
    QSize videoSize;
    qint64 audioReadLimit = -1;  // bytes of the audio file the encoder reads; -1: all of it
};

// The output's extension after its last ".", in lower case; empty when the path has no ".".
QString outputExtension(const QString &outputPath);

// One input of the encoder, read as the one local file it names: the picture by its literal name
// (looped: repeated for as long as the output needs it), the audio only through the demuxers the
// audio preview accepts and, given a positive read limit, no further than that many bytes; a
// cover picture in the audio file is not decoded.
QStringList encoderPictureInput(const QString &picturePath, bool looped);
QStringList encoderAudioInput(const QString &audioPath, qint64 readLimit = -1);

// What comes before the encoder's output options: overwrite, then the looped picture and the
// audio, each read as the one local file it names. The picture's name is never a sequence pattern
// ("%d" may be part of the temporary folder), and the audio is read only by the demuxers the
// audio preview accepts, so a file swapped for a playlist after it was chosen cannot bring in
// other files. Every output format's command line begins with these.
QStringList encoderInputArguments(const QString &picturePath, const QString &audioPath,
                                  qint64 audioReadLimit = -1);

// The encoder's argument vector: WebM (VP8 + Vorbis, 6 fps, BT.709 and tagged so) for a ".webm"
// output in any case, otherwise MPEG-1 (MPEG-1 video + MP2, 30 fps, BT.601, which it has no field
// to declare), which is also what a path without extension gets. Only the picture and the audio
// are mapped.
QStringList encoderArguments(const QString &picturePath, const QString &audioPath, int width,
                             int height, const QString &outputPath, qint64 audioReadLimit = -1);

// Seconds of the " time=hh:mm:ss.xx" field of an encoder status line (a line that begins with
// "frame=" or "size="); 0 for every other line. Hours and minutes are read at most two characters
// wide, as scanf("%02f:%02f:%f") would; a field that cannot be read counts as 0 and ends the read.
double parseEncoderTime(const QString &line);

// The progress bar's range in hundredths of a second: never below 1, so the bar never turns into
// a busy indicator, and never beyond what an int holds.
int progressRange(double audioDuration);
// The bar's position for encoder time t, kept within 0..range (the bar ignores values outside).
int progressPosition(double seconds, int range);
// The rounded percentage of t within the audio, 0..100; 0 when the duration is not positive.
int progressPercent(double seconds, double audioDuration);
// The time measured before a build's remaining time is estimated: a pace taken over less says
// little.
constexpr qint64 EstimateAfterMs = 3000;
// The seconds a build probably still needs for `remaining` positions of the bar, at the pace of
// `progress` positions in `measuredMs` (rounded); nullopt before EstimateAfterMs or without
// progress. The measure starts at the encoder's first report, so its start-up does not count.
std::optional<qint64> secondsLeft(qint64 measuredMs, int progress, int remaining);

// True when the encoder refused to create the output: a line "<outputPath>: Permission denied".
// Only a whole line counts, because the encoder also echoes the input's tags.
bool reportsOutputPermissionDenied(const QString &output, const QString &outputPath);

// The line that best says why the encoder failed: its last line reporting a full disk, or else its
// last unindented line that is neither a status line nor the closing summary; empty when none.
QString encoderErrorLine(const QString &output);

// How a build ended. The numbers are the build dialog's result codes.
enum class BuildOutcome {
    Done = 1,
    Canceled = 2,
    PermissionDenied = 3,
    // The encoder could not start, failed or wrote nothing; whatever it wrote is deleted.
    Failed = 4,
};

struct BuildVerdict
{
    BuildOutcome outcome = BuildOutcome::Failed;
    // For Failed: why, in a form the user can read.
    QString reason;
};

// Judges a finished encoder run. outputWritten tells whether a non-empty output file exists.
// A refused output wins over a cancel, a cancel over everything else; a run that could not
// start, crashed, ended with an error status, reported a full disk or left no output failed.
BuildVerdict judgeEncoderRun(const ToolResult &run, const QString &outputPath, bool outputWritten);
