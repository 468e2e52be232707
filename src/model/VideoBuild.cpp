#include "model/VideoBuild.h"

#include "media/AudioFormats.h"
#include "tools/ToolArguments.h"

#include <QLocale>
#include <QRegularExpression>

#include <climits>
#include <cmath>

namespace {

// The output options follow the inputs. Only the picture and the song's audio are mapped: a
// cover in the song is never a video stream. WebM converts the picture to YUV with BT.709 and
// says so in its colour fields, as the MP4 does; MPEG-1 has no such fields and converts with
// BT.601, the matrix its players assume.
const QString WebMTemplate = QStringLiteral(
    R"( -map 0:v:0 -map 1:a:0 -vf scale=%1:%2:out_color_matrix=bt709:out_range=tv,format=yuv420p -r 6)"
    R"( -c:v vp8 -colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv)"
    R"( -c:a libvorbis -shortest "%3")");
const QString MpegTemplate = QStringLiteral(
    R"( -map 0:v:0 -map 1:a:0 -vf scale=%1:%2:out_color_matrix=bt601:out_range=tv,format=yuv420p -r 30)"
    R"( -vb 19000 -c:v mpeg1video -c:a mp2 -shortest "%3")");

const QString NoSpaceText = QStringLiteral("No space left on device");

QStringList outputLines(const QString &output)
{
    static const QRegularExpression lineEnd(QStringLiteral("[\r\n]"));
    return output.split(lineEnd, Qt::SkipEmptyParts);
}

bool isStatusLine(const QString &line)
{
    return line.startsWith(QLatin1String("frame=")) || line.startsWith(QLatin1String("size="));
}

// Reads one number the way scanf's %f does, at most `width` characters when width > 0, always in
// the C locale. Leading blanks are skipped and not counted.
bool readNumber(const QString &text, int &pos, int width, double &value)
{
    while (pos < text.size() && (text.at(pos) == QLatin1Char(' ') || text.at(pos) == QLatin1Char('\t')))
        ++pos;
    const int start = pos;
    const int limit = width > 0 ? std::min<int>(text.size(), start + width) : text.size();
    int end = start;
    if (end < limit && (text.at(end) == QLatin1Char('+') || text.at(end) == QLatin1Char('-')))
        ++end;
    bool digits = false;
    bool point = false;
    while (end < limit) {
        const QChar c = text.at(end);
        if (c.isDigit() && c.unicode() < 128) {
            digits = true;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
        ++end;
    }
    if (!digits)
        return false;
    bool ok = false;
    value = QLocale::c().toDouble(QStringView(text).mid(start, end - start), &ok);
    pos = end;
    return ok;
}

} // namespace

QString outputExtension(const QString &outputPath)
{
    const int dot = outputPath.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : outputPath.mid(dot + 1).toLower();
}

QStringList encoderPictureInput(const QString &picturePath, bool looped)
{
    QStringList arguments{QStringLiteral("-protocol_whitelist"), QStringLiteral("file"), QStringLiteral("-f"),
                          QStringLiteral("image2"), QStringLiteral("-pattern_type"), QStringLiteral("none")};
    if (looped)
        arguments << QStringLiteral("-loop") << QStringLiteral("1");
    return arguments << QStringLiteral("-i") << picturePath;
}

QStringList encoderAudioInput(const QString &audioPath, qint64 readLimit)
{
    // The stream search decodes a cover picture only to learn its size, before any mapping can
    // leave it out. A one-pixel budget stops its decoder at the header: a 16000x16000 16-bit PNG
    // cover cost the encoder 1.5 GB and most of its time.
    const QStringList noCover{QStringLiteral("-max_pixels:v"), QStringLiteral("1")};
    if (readLimit <= 0) {
        return QStringList{QStringLiteral("-protocol_whitelist"), QStringLiteral("file"), QStringLiteral("-format_whitelist"),
                           QString::fromLatin1(AudioFormatWhitelist)}
            + noCover + QStringList{QStringLiteral("-i"), audioPath};
    }
    // The subfile protocol ends the file there; everything after ",,:" is the path as it is.
    return QStringList{QStringLiteral("-protocol_whitelist"), QStringLiteral("subfile,file"),
                       QStringLiteral("-format_whitelist"), QString::fromLatin1(AudioFormatWhitelist)}
        + noCover
        + QStringList{QStringLiteral("-i"), QStringLiteral("subfile,,start,0,end,%1,,:%2").arg(readLimit).arg(audioPath)};
}

QStringList encoderInputArguments(const QString &picturePath, const QString &audioPath, qint64 audioReadLimit)
{
    return QStringList{QStringLiteral("-y")} + encoderPictureInput(picturePath, true)
        + encoderAudioInput(audioPath, audioReadLimit);
}

QStringList encoderArguments(const QString &picturePath, const QString &audioPath, int width,
                             int height, const QString &outputPath, qint64 audioReadLimit)
{
    const bool webm = outputExtension(outputPath) == QLatin1String("webm");
    return encoderInputArguments(picturePath, audioPath, audioReadLimit)
        + toolArguments(webm ? WebMTemplate : MpegTemplate,
                        {QString::number(width), QString::number(height), outputPath});
}

double parseEncoderTime(const QString &line)
{
    if (!isStatusLine(line))
        return 0;
    const QLatin1String key(" time=");
    const int at = line.indexOf(key);
    if (at < 0)
        return 0;
    int pos = at + key.size();
    double hours = 0;
    double minutes = 0;
    double seconds = 0;
    if (readNumber(line, pos, 2, hours) && pos < line.size() && line.at(pos++) == QLatin1Char(':')
        && readNumber(line, pos, 2, minutes) && pos < line.size()
        && line.at(pos++) == QLatin1Char(':')) {
        readNumber(line, pos, 0, seconds);
    }
    return minutes * 60 + hours * 3600 + seconds;
}

int progressRange(double audioDuration)
{
    const double hundredths = audioDuration * 100;
    if (!(hundredths >= 1))
        return 1;
    if (hundredths >= double(INT_MAX))
        return INT_MAX;
    return int(hundredths);
}

int progressPosition(double seconds, int range)
{
    const double hundredths = seconds * 100;
    if (!(hundredths > 0))
        return 0;
    if (hundredths >= double(range))
        return range;
    return int(hundredths);
}

int progressPercent(double seconds, double audioDuration)
{
    if (!(audioDuration > 0) || !(seconds > 0))
        return 0;
    const double percent = seconds / audioDuration * 100 + 0.5;
    if (percent >= 100)
        return 100;
    return int(percent);
}

std::optional<qint64> secondsLeft(qint64 measuredMs, int progress, int remaining)
{
    if (measuredMs < EstimateAfterMs || progress <= 0)
        return std::nullopt;
    if (remaining <= 0)
        return 0;
    return qRound64(double(measuredMs) * double(remaining) / double(progress) / 1000.0);
}

bool reportsOutputPermissionDenied(const QString &output, const QString &outputPath)
{
    if (outputPath.isEmpty())
        return false;
    const QString refusal = outputPath + QLatin1String(": Permission denied");
    const QStringList lines = outputLines(output);
    for (const QString &line : lines) {
        if (line.endsWith(refusal))
            return true;
    }
    return false;
}

QString encoderErrorLine(const QString &output)
{
    const QStringList lines = outputLines(output);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        if (!it->at(0).isSpace() && it->endsWith(NoSpaceText))
            return it->trimmed();
    }
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString &line = *it;
        // Indented lines are the echoed header and tags, never the encoder's own complaint.
        if (line.trimmed().isEmpty() || line.at(0).isSpace() || isStatusLine(line))
            continue;
        if (line.startsWith(QLatin1String("video:")) || line == QLatin1String("Conversion failed!"))
            continue;
        return line.trimmed();
    }
    return {};
}

BuildVerdict judgeEncoderRun(const ToolResult &run, const QString &outputPath, bool outputWritten)
{
    using Status = ToolResult::Status;
    if (reportsOutputPermissionDenied(run.output, outputPath))
        return {BuildOutcome::PermissionDenied, {}};
    if (run.status == Status::Canceled)
        return {BuildOutcome::Canceled, {}};

    const auto reported = [](const QString &line) {
        return QStringLiteral("The encoder reported:\n\n   %1").arg(line);
    };
    switch (run.status) {
    case Status::FailedToStart:
        return {BuildOutcome::Failed,
                run.errorString.isEmpty()
                    ? QStringLiteral("The encoder could not be started.")
                    : QStringLiteral("The encoder could not be started:\n\n   %1").arg(run.errorString)};
    case Status::Crashed:
    case Status::TimedOut:
        return {BuildOutcome::Failed, QStringLiteral("The encoder stopped unexpectedly.")};
    case Status::Finished:
    case Status::Canceled:
        break;
    }

    const QString errorLine = encoderErrorLine(run.output);
    if (errorLine.endsWith(NoSpaceText) || run.exitCode != 0) {
        return {BuildOutcome::Failed,
                errorLine.isEmpty()
                    ? QStringLiteral("The encoder ended with error status %1.").arg(run.exitCode)
                    : reported(errorLine)};
    }
    if (!outputWritten) {
        return {BuildOutcome::Failed,
                errorLine.isEmpty() ? QStringLiteral("The encoder wrote no video.") : reported(errorLine)};
    }
    return {BuildOutcome::Done, {}};
}
