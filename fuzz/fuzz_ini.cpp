// The settings file as another program or a damaged disk may leave it: every key of the table is
// read from it, then a key is written into it and must read back as written.
#include "FuzzInput.h"

#include "base/IniFile.h"
#include "base/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzzBytes(data, size);
    Settings::ImageTool.valueIn(text);
    Settings::Encoder.valueIn(text);
    Settings::Player.valueIn(text);
    Settings::TargetVideoSize.valueIn(text);
    Settings::DefaultBackgroundColor.valueIn(text);
    Settings::AutoPlayOnOpen.valueIn(text);
    Settings::PictureFolder.valueIn(text);
    Settings::parseHex(QString::fromUtf8(text));

    const QByteArray written = IniFile::writeToText(text, Settings::Section, QStringLiteral("TargetVideoSize"),
                                                    QStringLiteral("3"));
    const auto value = IniFile::find(written, Settings::Section, QStringLiteral("TargetVideoSize"));
    if (!value || *value != QLatin1String("3"))
        std::abort();
    return 0;
}
