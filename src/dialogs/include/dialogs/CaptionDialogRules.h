#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The text dialog's decisions, without the dialog.
namespace CaptionDialogRules {

// The first font, from the top, whose name begins with `name` without regard to case; -1 when
// none does or the name is empty.
int findFontIndex(const QStringList &fonts, const QString &name);

// A bold sans font to use when the caption's font is not installed: DejaVu-Sans-Bold or
// Liberation-Sans-Bold when present, else the first bold sans, the first bold, the first font.
// -1 only for an empty list.
int fallbackFontIndex(const QStringList &fonts);

// The font entry the dialog selects for `name`: the match, else the fallback.
int fontIndexFor(const QStringList &fonts, const QString &name);

// OK's message for characters of the text that no font has, naming them.
QString missingCharactersMessage(const QList<char32_t> &missing);

} // namespace CaptionDialogRules
