#include "media/AudioLength.h"

#include "AudioInput.h"
#include "AudioStream.h"
#include "media/AudioError.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdint>

bool measureAudioFile(const QString &path, double &duration)
{
    if (QFile::encodeName(path).size() <= 4)
        return false;
    AudioInput input;
    if (input.open(path) != AudioOk)
        return false;
    const int64_t frames = input.measureFrames(AudioStream::Rate);
    // Nothing decoded: not a file anyone can play or build a video from.
    if (frames <= 0)
        return false;
    duration = double(frames) / AudioStream::Rate;
    return true;
}

QString formatDuration(double seconds)
{
    // Every field comes from one count of whole milliseconds, so 2.3 reads .300, not .299.
    long long ms = 0;
    if (std::isfinite(seconds) && seconds > 0)
        ms = std::llround(std::min(seconds, 9.0e15) * 1000.0);
    const long long total = ms / 1000;
    return QString::asprintf("%lld:%02lld:%02lld.%03lld", total / 3600, total / 60 % 60,
                             total % 60, ms % 1000);
}
