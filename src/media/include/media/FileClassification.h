#pragma once

#include "media/PictureFile.h"

#include <QString>

#include <atomic>

// What a file handed to the program is: a drop, a selection in the open-file dialog and the
// command line all go by this one answer.
struct FileClassification
{
    enum class Kind {
        Nothing,    // not a file the program takes: missing, empty, not a plain file, another
                    // extension, or content that is neither a picture nor audio
        Picture,
        Song,
        Refused,    // a picture the program can not use; the user is told why
    };

    Kind kind = Kind::Nothing;
    QString path;
    // Of a picture: what its header said, read while it was checked.
    PictureFileInfo picture;
    // Of a refused picture: why, as a sentence for the user.
    QString refusal;
    // False for a song named by its extension whose content is yet to be checked
    // (classifyFileQuickly); SongChecker tells what it is.
    bool checked = true;

    bool isOpenable() const { return kind == Kind::Picture || kind == Kind::Song; }
};

// Decides by the extension first, then by the content: a picture must decode within the image
// tool's limits (a picture's content under any of the picture extensions will do), a song's first
// packets must decode (checkSongFile). Cheap for a file asked about again unchanged, as a drag
// asks on entering and on dropping: the recent answers are kept, so call it from the window's
// thread only. A song's check may take seconds: not for a window that is shown.
FileClassification classifyFile(const QString &path);

// classifyFile() for the window's thread: a song not checked before is answered by its extension
// alone, as an unchecked Song, for SongChecker to check.
FileClassification classifyFileQuickly(const QString &path);

// How long the check of a song may read: an Ogg whose comment header holds a huge picture is
// read whole by the demuxer before any sound.
constexpr int SongCheckBudgetMs = 20000;

// The check of a song's content, for any thread: a Song when its first packets decode
// (probeAudioFile), else Nothing.
FileClassification checkSongFile(const QString &path, const std::atomic<bool> *cancel = nullptr);

// Keeps a check made off the window's thread among the recent answers; window's thread only.
void rememberSongCheck(const FileClassification &file);

// Why a file that is not openable is left out, as a sentence for the user: the refusal of a
// refused picture, else what the file is (missing, a folder, empty, neither a picture nor a song).
QString notOpenableReason(const FileClassification &file);
