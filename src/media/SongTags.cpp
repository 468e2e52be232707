#include "media/SongTags.h"

#include <QTextBoundaryFinder>

QString cleanSongTag(const QString &raw)
{
    QString text;
    text.reserve(qMin(raw.size(), MaxSongTagLength * 2));
    bool blank = false;
    for (const QChar c : raw) {
        // A tag of megabytes is cut long before its end is read.
        if (text.size() > MaxSongTagLength * 2)
            break;
        const bool space = c.isSpace() || c.category() == QChar::Other_Control;
        if (space) {
            blank = !text.isEmpty();
            continue;
        }
        if (blank)
            text += QLatin1Char(' ');
        blank = false;
        text += c;
    }
    if (text.size() <= MaxSongTagLength)
        return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    graphemes.setPosition(MaxSongTagLength - 1);
    if (!graphemes.isAtBoundary())
        graphemes.toPreviousBoundary();
    const qsizetype cut = graphemes.position() > 0 ? graphemes.position() : MaxSongTagLength - 1;
    return text.left(cut).trimmed() + QChar(0x2026);
}

QString songTagsCaption(const SongTags &tags)
{
    if (!tags.artist.isEmpty() && !tags.title.isEmpty())
        return tags.artist + QStringLiteral(" \u2013 ") + tags.title;
    return tags.title.isEmpty() ? tags.artist : tags.title;
}
