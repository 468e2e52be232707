#include "widgets/SkinArtwork.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace SkinArtwork {

QImage renderSvg(const QString &resourcePath, qreal devicePixelRatio, bool opaque)
{
    if (!QFile::exists(resourcePath))
        return {};
    QSvgRenderer renderer(resourcePath);
    if (!renderer.isValid())
        return {};
    const QSize size = renderer.defaultSize();
    if (size.isEmpty())
        return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QImage image(QSize(qRound(size.width() * ratio), qRound(size.height() * ratio)),
                 opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? Qt::black : Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    painter.end();
    image.setDevicePixelRatio(ratio);
    return image;
}

QPixmap buttonFace(const QString &faceName, qreal devicePixelRatio)
{
    if (faceName.isEmpty())
        return {};
    return QPixmap::fromImage(
        renderSvg(QStringLiteral(":/skin/buttons/%1.svg").arg(faceName), devicePixelRatio));
}

QPixmap skinBitmap(int resourceId, qreal devicePixelRatio)
{
    if (resourceId < 1500 || resourceId > 1509)
        return {};
    return QPixmap::fromImage(
        renderSvg(QStringLiteral(":/skin/frame/%1.svg").arg(resourceId), devicePixelRatio));
}

QIcon appIcon()
{
    QSvgRenderer renderer(QStringLiteral(":/skin/icon/102.svg"));
    if (!renderer.isValid())
        return {};
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace SkinArtwork
