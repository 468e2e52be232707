// A picture file as the user may choose it: sniffed from its first bytes, its header read, and
// decoded when the header is accepted. What decodes keeps within the program's limits.
#include "FuzzInput.h"

#include "media/PictureFile.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Qt's image plugins are found through the application.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzBytes(data, size);
    const PictureFormat sniffed = sniffPictureFormat(bytes.left(18));
    FuzzFile file(data, size);
    PictureFileInfo info;
    if (!readPictureInfo(file.path(), info)) {
        return 0;
    }
    if (info.format != sniffed || !isPictureSizeAcceptable(info.size))
        std::abort();
    const QImage image = loadPictureFile(file.path());
    if (!image.isNull() && !isPictureSizeAcceptable(image.size()))
        std::abort();
    return 0;
}
