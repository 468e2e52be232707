// A font file as the image tool's list may name it: read as a regular file, then asked for the
// characters of a caption. The first byte gives the caption's length in bytes (UTF-8), the font's
// bytes follow it. Whatever the bytes, reading returns them whole, and a font that has a text
// whole has each of its characters.
#include "FuzzInput.h"

#include "media/FontCoverage.h"

#include <QGuiApplication>

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Fonts are read through the platform's font database: no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t textBytes = std::min<size_t>(data[0], size - 1);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(textBytes));
    const uint8_t *font = data + 1 + textBytes;
    const size_t fontSize = size - 1 - textBytes;

    const FuzzFile file(font, fontSize);
    const QByteArray read = readFontFile(file.path());
    if (read != fuzzBytes(font, fontSize))
        std::abort();

    const FontCoverage coverage = fontDataCoverage(read, text);
    if (coverage == FontCoverage::Full) {
        for (const char32_t c : charactersNeedingGlyphs(text)) {
            if (fontDataCoverage(read, QString::fromUcs4(&c, 1)) != FontCoverage::Full)
                std::abort();
        }
    }
    if (coverage == FontCoverage::Unreadable && fontDataCoverage(read, QString()) != FontCoverage::Unreadable)
        std::abort();
    return 0;
}
