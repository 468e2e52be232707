#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>

// Reads up to `size` bytes at `offset` into `data`; the count read, 0 at the end, -1 on an error.
using SongByteReader = std::function<qint64(qint64 offset, char *data, qint64 size)>;

// What the tags a song file starts with (ID3v2, or a native FLAC file's comments and pictures)
// hold: a few text tags and one picture, the cover.
struct SongFileTags
{
    // Text tags by the audio library's names: title, artist, album_artist, album. Each value is
    // at most MaxValueBytes of the tag, decoded.
    QHash<QByteArray, QString> values;
    // The cover: the front cover, else the first picture, of the types the program knows.
    // coverSize is -1 without one; coverBytes is empty when it is larger than the limit read.
    qint64 coverSize = -1;
    QByteArray coverBytes;

    static constexpr int MaxValueBytes = 1600;
};

// Reads the tags of the file behind `read` (`fileSize` bytes), allocating only what it keeps: a
// picture other than the cover, or a cover over `maxCoverBytes`, is skipped without being read.
SongFileTags readSongFileTags(const SongByteReader &read, qint64 fileSize, qint64 maxCoverBytes);
