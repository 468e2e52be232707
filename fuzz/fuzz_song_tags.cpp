// The tags a song file starts with (ID3v2, FLAC metadata) as the tag reader finds them: it keeps
// at most one cover, never one over its limit, and text tags of bounded size.
#include "media/SongFileTags.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    constexpr qint64 MaxCover = 4096;
    const auto read = [data, size](qint64 offset, char *out, qint64 count) -> qint64 {
        if (offset < 0 || count < 0)
            std::abort();
        if (quint64(offset) >= size)
            return 0;
        const qint64 n = std::min<qint64>(count, qint64(size) - offset);
        std::memcpy(out, data + offset, size_t(n));
        return n;
    };
    const SongFileTags tags = readSongFileTags(read, qint64(size), MaxCover);
    if (tags.coverBytes.size() > MaxCover || tags.coverBytes.size() > qint64(size))
        std::abort();
    if (!tags.coverBytes.isEmpty() && tags.coverSize != tags.coverBytes.size())
        std::abort();
    for (const QString &value : tags.values) {
        if (value.size() > SongFileTags::MaxValueBytes)
            std::abort();
    }
    return 0;
}
