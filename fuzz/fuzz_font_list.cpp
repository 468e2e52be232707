// The image tool's "-list font" output: every name taken is non-empty and holds no line break.
#include "FuzzInput.h"

#include "media/FontList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    bool found = false;
    const QStringList names = parseFontList(QString::fromUtf8(fuzzBytes(data, size)), &found);
    for (const QString &name : names) {
        if (name.isEmpty() || name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
            std::abort();
    }
    if (!names.isEmpty() && !found)
        std::abort();
    return 0;
}
