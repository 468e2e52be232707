#pragma once

#include <QString>
#include <QStringList>

// Which of the image tool's fonts a caption's font name stands for: the caption dialog selects
// it, and a caption made without the dialog takes the same.
namespace CaptionFontChoice {

// The first font, from the top, whose name begins with `name` without regard to case; -1 when
// none does or the name is empty.
int findFontIndex(const QStringList &fonts, const QString &name);

// A bold sans font to use when the caption's font is not installed: DejaVu-Sans-Bold or
// Liberation-Sans-Bold when present, else the first bold sans, the first bold, the first font.
// -1 only for an empty list.
int fallbackFontIndex(const QStringList &fonts);

// The font entry for `name`: the match, else the fallback.
int fontIndexFor(const QStringList &fonts, const QString &name);

} // namespace CaptionFontChoice
