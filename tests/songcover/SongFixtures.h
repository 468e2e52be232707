#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPair>
#include <QString>

// Songs with covers and tags, made at test time with the real ffmpeg and convert, or written
// byte by byte where a tool would refuse to make the fault.
namespace SongFixtures {

using Tags = QList<QPair<QByteArray, QString>>;

// A picture file of one color in the format its suffix names (jpg, png, gif, ...).
bool makePicture(const QString &path, int width, int height, const QColor &color);

// A 2 s tone in the container the suffix names (mp3, flac, m4a, ogg) with the tags, and with
// `cover` (a picture file) attached as the front cover unless it is empty. Ogg gets the cover as
// a METADATA_BLOCK_PICTURE comment, which ffmpeg 5.1 cannot attach itself.
bool makeSong(const QString &path, const QString &cover, const Tags &tags);

// FLAC's picture block (front cover) around raw picture bytes, as in METADATA_BLOCK_PICTURE.
QByteArray flacPictureBlock(const QByteArray &picture, const QByteArray &mime);

// An MP3 with an ID3v2.3 tag written by hand: a TIT2 title in Latin-1 and one APIC frame
// holding `picture` as it is (broken, huge, of any type) labelled `mime`.
bool makeMp3WithRawCover(const QString &path, const QByteArray &title, const QByteArray &picture,
                         const QByteArray &mime);

// An MP3 whose ID3v2.3 tag holds a TIT2 title and an APIC front cover of `pictureBytes` bytes
// labelled JPEG: a JPEG's first bytes, then a hole, so the file is sparse and costs no disk.
bool makeMp3WithSparseCover(const QString &path, const QByteArray &title, qint64 pictureBytes);

// A FLAC with `count` sparse pictures (type "Other") of `pictureBytes` bytes after its
// STREAMINFO, followed by `cover` as its front cover, a PNG.
bool makeFlacWithSparsePictures(const QString &path, int count, qint64 pictureBytes, const QByteArray &cover);

// A 2 s Ogg Vorbis with a title whose front cover, a METADATA_BLOCK_PICTURE comment, is
// `pictureBytes` bytes of noise behind a PNG signature.
bool makeOggWithNoisePicture(const QString &path, const QString &title, int pictureBytes);

// A PNG whose header claims width x height, with one row of real data: too large to decode.
QByteArray pngHeaderClaiming(int width, int height);

// The bytes of a file; empty when it cannot be read.
QByteArray fileBytes(const QString &path);

} // namespace SongFixtures
