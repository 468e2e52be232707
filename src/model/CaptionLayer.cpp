#include "model/CaptionLayer.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace {

struct FontFace
{
    QString family;
    QString style;
};

// The face in a font file, made known to Qt once: the image tool's fonts need not be the
// desktop's.
std::optional<FontFace> faceOf(const QString &file)
{
    static QMutex mutex;
    static QHash<QString, std::optional<FontFace>> faces;
    const QMutexLocker locker(&mutex);
    const auto known = faces.constFind(file);
    if (known != faces.constEnd())
        return *known;
    std::optional<FontFace> face;
    const QByteArray data = readFontFile(file);
    if (!data.isEmpty()) {
        const QRawFont raw(data, 12);
        if (raw.isValid() && QFontDatabase::addApplicationFontFromData(data) >= 0)
            face = FontFace{raw.familyName(), raw.styleName()};
    }
    faces.insert(file, face);
    return face;
}

QFont fontFor(const FontFace &face, int pixelSize)
{
    QFont font(face.family);
    font.setStyleName(face.style);
    font.setPixelSize(std::max(1, pixelSize));
    // The fallback is the plan's, made from the image tool's list: Qt must not pick fonts itself.
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

} // namespace

int captionLayerMargin(int pixelSize)
{
    return std::max(4, pixelSize);
}

QImage drawCaptionLayer(const QString &text, const CaptionFontPlan &plan,
                        const QHash<QString, QString> &fonts, int pixelSize, QRgb color, int column)
{
    QHash<QString, QFont> runFonts;
    for (const CaptionFontRun &run : plan.runs) {
        if (runFonts.contains(run.fontName))
            continue;
        const std::optional<FontFace> face = faceOf(fonts.value(run.fontName));
        if (!face)
            return {};
        runFonts.insert(run.fontName, fontFor(*face, pixelSize));
    }
    if (plan.runs.isEmpty())
        return {};
    const QFont base = runFonts.value(plan.runs.first().fontName);
    const QFontMetricsF baseMetrics(base);

    struct Line
    {
        std::unique_ptr<QTextLayout> layout;
        qreal width = 0;
        qreal ascent = 0;
        qreal descent = 0;
    };
    std::vector<Line> lines;
    int lineStart = 0;
    while (lineStart <= text.size()) {
        int lineEnd = text.indexOf(QLatin1Char('\n'), lineStart);
        if (lineEnd < 0)
            lineEnd = int(text.size());
        Line line;
        line.layout = std::make_unique<QTextLayout>(text.mid(lineStart, lineEnd - lineStart), base);
        QList<QTextLayout::FormatRange> formats;
        for (const CaptionFontRun &run : plan.runs) {
            const int start = std::max(run.start, lineStart);
            const int end = std::min(run.start + run.length, lineEnd);
            if (end <= start)
                continue;
            QTextLayout::FormatRange range;
            range.start = start - lineStart;
            range.length = end - start;
            range.format.setFont(runFonts.value(run.fontName), QTextCharFormat::FontPropertiesAll);
            formats.append(range);
        }
        line.layout->setFormats(formats);
        QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
        option.setWrapMode(QTextOption::NoWrap);
        option.setTextDirection(line.layout->text().isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
        line.layout->setTextOption(option);
        line.layout->setCacheEnabled(true);
        line.layout->beginLayout();
        QTextLine textLine = line.layout->createLine();
        if (textLine.isValid()) {
            textLine.setLineWidth(1e6);
            textLine.setPosition(QPointF(0, 0));
            line.width = textLine.naturalTextWidth();
            line.ascent = std::max(baseMetrics.ascent(), textLine.ascent());
            line.descent = std::max(baseMetrics.descent(), textLine.descent());
        } else {
            line.ascent = baseMetrics.ascent();
            line.descent = baseMetrics.descent();
        }
        line.layout->endLayout();
        lines.push_back(std::move(line));
        lineStart = lineEnd + 1;
    }

    qreal width = 0;
    qreal height = 0;
    for (const Line &line : lines) {
        width = std::max(width, line.width);
        height += line.ascent + line.descent;
    }
    const int margin = captionLayerMargin(pixelSize);
    QImage image(int(std::ceil(width)) + 2 * margin, int(std::ceil(height)) + 2 * margin,
                 QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QColor(color));
    qreal top = margin;
    for (const Line &line : lines) {
        qreal left = margin;
        if (column == 1)
            left += (width - line.width) / 2;
        else if (column == 2)
            left += width - line.width;
        if (line.layout->lineCount() > 0) {
            const QTextLine textLine = line.layout->lineAt(0);
            line.layout->draw(&painter, QPointF(left, top + line.ascent - textLine.ascent()));
        }
        top += line.ascent + line.descent;
    }
    painter.end();
    return image;
}
