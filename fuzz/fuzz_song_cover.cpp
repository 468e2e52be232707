// A song as the window reads it for its tags and cover: a cover copy that is kept opens as a
// picture, and the tags are within their length.
#include "FuzzInput.h"

#include "media/PictureFile.h"
#include "media/SongCoverReader.h"

#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzFile file(data, size);
    QTemporaryDir covers;
    if (!covers.isValid())
        std::abort();
    const SongInfo info = readSongInfo(file.path(), covers.path());
    for (const QString &tag : {info.tags.title, info.tags.artist, info.tags.album}) {
        if (tag.size() > MaxSongTagLength)
            std::abort();
    }
    if (!info.coverPath.isEmpty()) {
        if (!info.readable || loadPictureFile(info.coverPath).isNull())
            std::abort();
        QFile::remove(info.coverPath);
    }
    return 0;
}
