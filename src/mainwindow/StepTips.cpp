#include "StepTips.h"

#include "media/AudioLength.h"
#include "media/SongTags.h"

#include <QTextDocument>

namespace {

const QString ClearPictureTip = QStringLiteral("Click here to clear the current Picture File");
const QString ClearAudioTip = QStringLiteral("Click here to clear the current Audio File");
const QString BrowsePictureTip = QStringLiteral("...or, click here to Browse for a Picture File");

// A reason as a sentence of its own: "too large (...)" reads "Too large (...)."
QString asSentence(QString text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return text;
    text[0] = text.at(0).toUpper();
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text;
}

} // namespace

QString pictureStepTip(bool set, bool songCover, const QString &picturePath, const QString &songPath)
{
    if (set && songCover)
        return QStringLiteral("%1, which is the cover art of the song:\n\n%2").arg(ClearPictureTip, songPath);
    if (set)
        return QStringLiteral("%1, which is set to:\n\n%2").arg(ClearPictureTip, picturePath);
    return ClearPictureTip;
}

QString pendingPictureStepTip(const QString &songPath, const QString &coverProblem)
{
    if (songPath.isEmpty() || coverProblem.trimmed().isEmpty())
        return BrowsePictureTip;
    return QStringLiteral("%1\n\nThe cover art of the song can not be used:\n\n%2\n\n%3")
        .arg(BrowsePictureTip, songPath, asSentence(coverProblem));
}

QString audioStepTip(const QString &songPath, bool measuring, double seconds, const SongTags &tags)
{
    if (songPath.isEmpty())
        return ClearAudioTip;
    const QString duration = measuring ? QStringLiteral("(measuring)") : formatDuration(seconds);
    QString tip = QStringLiteral("%1, which is set to:\n\n%2\n\nDuration: %3").arg(ClearAudioTip, songPath, duration);
    if (!tags.title.isEmpty())
        tip += QStringLiteral("\nTitle: ") + tags.title;
    if (!tags.artist.isEmpty())
        tip += QStringLiteral("\nArtist: ") + tags.artist;
    return tip;
}

QString stepTipText(const QString &text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpacePre) : text;
}
