// Renders every face of every skinned button, the frame pieces assembled around a sample
// picture area, and the icon into one PNG, so the artwork can be looked at in one place.
// Usage: skin_contact_sheet <output.png> [device pixel ratio]
#include "widgets/SkinArtwork.h"
#include "widgets/SkinButton.h"

#include <QApplication>
#include <QPainter>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output.png> [device pixel ratio]\n", argv[0]);
        return 2;
    }
    const qreal ratio = argc > 2 ? QString::fromLocal8Bit(argv[2]).toDouble() : 1.0;
    const QStringList names = {
        QStringLiteral("BITMAP_MINIMIZE"), QStringLiteral("BITMAP_MAXIMIZE"),
        QStringLiteral("BITMAP_RESTORE"), QStringLiteral("BITMAP_EXIT"),
        QStringLiteral("BITMAP_STEP1UNCHECKED"), QStringLiteral("BITMAP_STEP1CHECKED"),
        QStringLiteral("BITMAP_STEP2UNCHECKED"), QStringLiteral("BITMAP_STEP2CHECKED"),
        QStringLiteral("BITMAP_STEP3UNCHECKED"), QStringLiteral("BITMAP_STEP3CHECKED"),
        QStringLiteral("BITMAP_PLAY"), QStringLiteral("BITMAP_PAUSE"),
        QStringLiteral("BITMAP_SAVEAS"), QStringLiteral("BITMAP_CREATEPICTUNE"),
        QStringLiteral("BITMAP_OPTIONS"), QStringLiteral("BITMAP_HELP")};
    const QString suffixes = QStringLiteral("UDFX");
    const QStringList faceTitles = {QStringLiteral("up"), QStringLiteral("down"),
                                    QStringLiteral("focus"), QStringLiteral("disabled")};

    const int labelWidth = 190;
    const int column = 220;
    const int sheetWidth = labelWidth + 4 * column + 20;
    int sheetHeight = 40;
    for (const QString &name : names)
        sheetHeight += SkinArtwork::buttonFace(name + QLatin1Char('U')).height() + 14;
    const int frameTop = sheetHeight + 10;
    sheetHeight = frameTop + 260;

    QImage sheet(QSize(sheetWidth, sheetHeight) * ratio, QImage::Format_RGB32);
    sheet.setDevicePixelRatio(ratio);
    sheet.fill(QColor(0xe9, 0xee, 0xf3));
    QPainter painter(&sheet);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int i = 0; i < 4; ++i)
        painter.drawText(labelWidth + i * column, 24, faceTitles.at(i));

    int y = 40;
    for (const QString &name : names) {
        int rowHeight = 0;
        painter.drawText(10, y + 14, name);
        for (int i = 0; i < 4; ++i) {
            const QPixmap face = SkinArtwork::buttonFace(name + suffixes.at(i), ratio);
            if (face.isNull()) {
                painter.drawText(labelWidth + i * column, y + 14, QStringLiteral("(missing)"));
                continue;
            }
            painter.drawPixmap(labelWidth + i * column, y, face);
            rowHeight = std::max(rowHeight, int(face.deviceIndependentSize().height()));
        }
        y += rowHeight + 14;
    }

    // The frame pieces around a 300x160 picture area, the way the main window lays them out,
    // with the band and title above.
    const QPixmap band = SkinArtwork::skinBitmap(1500, ratio);
    const QPixmap title = SkinArtwork::skinBitmap(1501, ratio);
    const QRect strip(10, frameTop, 600, 250);
    painter.fillRect(strip, QColor(1, 75, 140));
    painter.drawPixmap(QRectF(strip.left(), strip.top(), strip.width(), 63), band,
                       QRectF(0, 0, strip.width() * ratio, 63 * ratio));
    painter.drawPixmap(strip.left() + strip.width() / 2 - 88, strip.top() + 37, title);
    const QRect box(strip.left() + 150, strip.top() + 85, 300, 110);
    painter.fillRect(box, Qt::black);
    auto piece = [&](int id, int x, int y, int w, int h) {
        const QPixmap pixmap = SkinArtwork::skinBitmap(id, ratio);
        painter.drawPixmap(QRectF(x, y, w, h), pixmap, QRectF(0, 0, w * ratio, h * ratio));
    };
    piece(1502, box.left() - 23, box.top() - 11, 23, 11);
    piece(1503, box.right() + 1, box.top() - 11, 23, 11);
    piece(1504, box.right() + 1, box.bottom() + 1, 23, 42);
    piece(1505, box.left() - 23, box.bottom() + 1, 23, 42);
    piece(1506, box.left(), box.top() - 11, box.width(), 11);
    piece(1507, box.right() + 1, box.top(), 23, box.height());
    piece(1508, box.left(), box.bottom() + 1, box.width(), 42);
    piece(1509, box.left() - 23, box.top(), 23, box.height());

    const QIcon icon = SkinArtwork::appIcon();
    int x = 640;
    for (int size : {16, 32, 48, 128}) {
        painter.drawPixmap(x, frameTop + 20, icon.pixmap(QSize(size, size), ratio));
        x += size + 16;
    }
    painter.end();
    if (!sheet.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
