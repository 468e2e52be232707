// The check of a written MP4, on any file: it ends with a sentence or passes, and decoding the
// copied audio only ever adds a fault.
#include "FuzzInput.h"

#include "model/Mp4Build.h"

#include <QSize>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzFile file(data, size);
    Mp4Expectation expected{QSize(128, 72), 4.5, true};
    const QString fault = checkMp4File(file.path(), expected);
    if (!fault.isEmpty() && !(fault.startsWith(QLatin1String("The ")) && fault.endsWith(QLatin1Char('.'))))
        std::abort();
    expected.audioCopied = false;
    if (fault.isEmpty() && !checkMp4File(file.path(), expected).isEmpty())
        std::abort();
    return 0;
}
