// The encoder's output, line by line, as the build dialog reads it: status lines give the time
// that moves the progress bar, which must stay within its range.
#include "FuzzInput.h"

#include "model/VideoBuild.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString output = QString::fromUtf8(fuzzBytes(data, size));
    static const QRegularExpression lineEnd(QStringLiteral("[\r\n]"));
    const int range = progressRange(180.0);
    for (const QString &line : output.split(lineEnd)) {
        const double seconds = parseEncoderTime(line);
        const int position = progressPosition(seconds, range);
        const int percent = progressPercent(seconds, 180.0);
        if (position < 0 || position > range || percent < 0 || percent > 100)
            std::abort();
    }
    return 0;
}
