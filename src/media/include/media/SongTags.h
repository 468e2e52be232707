#pragma once

#include <QMetaType>
#include <QString>

// The tags of a song the program uses: shown in the song's tooltip and offered as a caption.
struct SongTags
{
    QString title;
    QString artist;
    QString album;

    bool hasCaption() const { return !title.isEmpty() || !artist.isEmpty(); }
    bool operator==(const SongTags &other) const
    {
        return title == other.title && artist == other.artist && album == other.album;
    }
};
Q_DECLARE_METATYPE(SongTags)

// Longest tag the program keeps, in characters; a longer one is cut with an ellipsis.
constexpr int MaxSongTagLength = 200;

// A tag as the user should see it: line breaks, tabs and other control characters become single
// blanks, blanks at the ends go, and a tag longer than MaxSongTagLength is cut at a character
// boundary (never inside a surrogate pair or before a combining mark) and ends with "…".
QString cleanSongTag(const QString &raw);

// The caption the tags suggest: "Artist – Title", the title alone, or the artist alone; empty
// when the song has neither.
QString songTagsCaption(const SongTags &tags);
