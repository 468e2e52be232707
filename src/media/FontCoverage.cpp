#include "media/FontCoverage.h"

#include <QFile>
#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QRawFont>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Coverage does not depend on the size; any will do.
constexpr qreal CheckPixelSize = 12;

bool needsGlyph(char32_t c)
{
    if ((c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF))  // variation selectors
        return false;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
        return false;
    default:
        return true;
    }
}

bool isMark(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

struct FontStyle
{
    bool bold = false;
    bool italic = false;
    bool operator==(const FontStyle &other) const { return bold == other.bold && italic == other.italic; }
};

FontStyle styleOf(const QString &name)
{
    return {name.contains(QLatin1String("bold"), Qt::CaseInsensitive),
            name.contains(QLatin1String("italic"), Qt::CaseInsensitive)
                || name.contains(QLatin1String("oblique"), Qt::CaseInsensitive)};
}

} // namespace

QList<char32_t> charactersNeedingGlyphs(const QString &text)
{
    QList<char32_t> characters;
    for (const char32_t c : text.toUcs4()) {
        if (needsGlyph(c) && !characters.contains(c))
            characters.append(c);
    }
    return characters;
}

QByteArray readFontFile(const QString &path)
{
    if (path.isEmpty())
        return {};
    // Non-blocking, so that opening a pipe with no writer returns at once; the type is checked
    // on what was opened, not on the name, which may change in between.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray data;
    struct stat status = {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0
        && status.st_size <= MaxFontFileBytes) {
        data.resize(qsizetype(status.st_size));
        qsizetype done = 0;
        while (done < data.size()) {
            const ssize_t got = ::read(fd, data.data() + done, size_t(data.size() - done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        data.truncate(done);
    }
    ::close(fd);
    return data;
}

namespace {

FontCoverage rawFontCoverage(const QRawFont &font, const QString &text)
{
    if (!font.isValid())
        return FontCoverage::Unreadable;
    const QList<char32_t> characters = charactersNeedingGlyphs(text);
    const bool full = std::all_of(characters.cbegin(), characters.cend(),
                                  [&](char32_t c) { return font.supportsCharacter(uint(c)); });
    return full ? FontCoverage::Full : FontCoverage::Partial;
}

} // namespace

FontCoverage fontDataCoverage(const QByteArray &fontData, const QString &text)
{
    if (fontData.isEmpty() || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return FontCoverage::Unreadable;
    return rawFontCoverage(QRawFont(fontData, CheckPixelSize), text);
}

FontCoverage fontFileCoverage(const QString &glyphFile, const QString &text)
{
    // The live preview checks on every key press: a font file is read once, not each time.
    // Fonts are only read under a GUI application; without one nothing can be told.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return FontCoverage::Unreadable;
    static QMutex mutex;
    static QHash<QString, QRawFont> fonts;
    const QMutexLocker locker(&mutex);
    auto it = fonts.find(glyphFile);
    if (it == fonts.end()) {
        const QByteArray data = readFontFile(glyphFile);
        it = fonts.insert(glyphFile, data.isEmpty() ? QRawFont() : QRawFont(data, CheckPixelSize));
    }
    return rawFontCoverage(*it, text);
}

CaptionFontPlan captionFontPlanFor(const QString &fontName, const QString &text, const QStringList &names,
                                   const QHash<QString, QString> &glyphFiles, const FontCoverageCheck &covers)
{
    CaptionFontPlan plan;
    const QString ownFile = glyphFiles.value(fontName);
    const QList<char32_t> needed = charactersNeedingGlyphs(text);
    if (ownFile.isEmpty() || needed.isEmpty() || covers(ownFile, text) != FontCoverage::Partial) {
        plan.unknownFont = !needed.isEmpty() && (ownFile.isEmpty() || covers(ownFile, text) == FontCoverage::Unreadable);
        plan.runs.append({0, int(text.size()), fontName});
        return plan;
    }

    // Which font has each character, each character and font asked once.
    const FontStyle style = styleOf(fontName);
    QHash<QString, bool> readable;
    const auto has = [&](const QString &name, char32_t c) {
        const QString file = name == fontName ? ownFile : glyphFiles.value(name);
        if (file.isEmpty() || readable.value(file, true) == false)
            return false;
        const FontCoverage coverage = covers(file, QString::fromUcs4(&c, 1));
        if (coverage == FontCoverage::Unreadable)
            readable.insert(file, false);
        return coverage == FontCoverage::Full;
    };
    QHash<char32_t, QString> fontOf;
    for (const char32_t c : needed) {
        QString chosen;
        if (has(fontName, c)) {
            chosen = fontName;
        } else {
            QString other;
            for (const QString &name : names) {
                if (name == fontName || glyphFiles.value(name) == ownFile)
                    continue;
                const bool sameStyle = styleOf(name) == style;
                if (!sameStyle && !other.isEmpty())
                    continue;
                if (!has(name, c))
                    continue;
                if (sameStyle) {
                    chosen = name;
                    break;
                }
                other = name;
            }
            if (chosen.isEmpty())
                chosen = other;
        }
        if (chosen.isEmpty()) {
            plan.missing.append(c);
            chosen = fontName;
        }
        fontOf.insert(c, chosen);
    }

    const QList<uint> characters = text.toUcs4();
    int position = 0;
    for (const char32_t c : characters) {
        const int length = QChar::requiresSurrogates(c) ? 2 : 1;
        QString font = fontOf.value(c);
        if (!plan.runs.isEmpty()) {
            const QString &current = plan.runs.last().fontName;
            if (font.isEmpty() || (isMark(c) && font != current && has(current, c)))
                font = current;
        } else if (font.isEmpty()) {
            font = fontName;
        }
        if (!plan.runs.isEmpty() && plan.runs.last().fontName == font)
            plan.runs.last().length += length;
        else
            plan.runs.append({position, length, font});
        position += length;
    }
    return plan;
}

bool textNeedsShaping(const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        switch (QChar::direction(c)) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
            return true;
        default:
            break;
        }
        if (isMark(c) || c == 0x200C || c == 0x200D)
            return true;
        const QChar::JoiningType joining = QChar::joiningType(c);
        if (joining == QChar::Joining_Dual || joining == QChar::Joining_Right
            || joining == QChar::Joining_Left || joining == QChar::Joining_Causing)
            return true;
        switch (QChar::script(c)) {
        case QChar::Script_Devanagari:
        case QChar::Script_Bengali:
        case QChar::Script_Gurmukhi:
        case QChar::Script_Gujarati:
        case QChar::Script_Oriya:
        case QChar::Script_Tamil:
        case QChar::Script_Telugu:
        case QChar::Script_Kannada:
        case QChar::Script_Malayalam:
        case QChar::Script_Sinhala:
        case QChar::Script_Thai:
        case QChar::Script_Lao:
        case QChar::Script_Tibetan:
        case QChar::Script_Myanmar:
        case QChar::Script_Khmer:
            return true;
        default:
            break;
        }
    }
    return false;
}
