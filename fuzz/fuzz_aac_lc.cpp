// The AAC-LC test of a song for an MP4 build, on any file: it ends, it never decodes a cover
// picture (its peak memory stays far below what a large cover takes decoded), and a read limit
// never turns a copy into a refusal.
#include "FuzzInput.h"
#include "FuzzMemory.h"

#include "model/Mp4Build.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzFile file(data, size);
    const bool measured = resetPeakMemory();
    const qint64 before = peakMemoryKiB();
    const bool copied = isAacLcAudio(file.path());
    if (measured && before > 0 && peakMemoryKiB() - before > 128 * 1024)
        std::abort();
    if (copied && !isAacLcAudio(file.path(), qint64(size / 2)))
        std::abort();
    return 0;
}
