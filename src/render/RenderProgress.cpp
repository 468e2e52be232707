#include "render/RenderProgress.h"

#include <cmath>

namespace RenderProgress {

QString clock(double seconds)
{
    const qint64 whole = qint64(std::ceil(qMax(0.0, seconds)));
    const qint64 hours = whole / 3600;
    const qint64 minutes = whole / 60 % 60;
    const QString rest = QStringLiteral("%1").arg(whole % 60, 2, 10, QLatin1Char('0'));
    if (hours > 0)
        return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')).arg(rest);
    return QStringLiteral("%1:%2").arg(minutes).arg(rest);
}

QString bar(int done, int failed, int total, double elapsedSeconds, int width)
{
    const int filled = total > 0 ? int(qint64(width) * done / total) : width;
    QString text = QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char('-'))
        + QStringLiteral("] %1/%2 rows").arg(done).arg(total);
    if (failed > 0)
        text += QStringLiteral("  %1 failed").arg(failed);
    if (done > 0 && done < total)
        text += QStringLiteral("  about %1 left").arg(clock(elapsedSeconds / done * (total - done)));
    return text;
}

} // namespace RenderProgress
