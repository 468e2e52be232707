#include "widgets/PictureBox.h"

#include "base/AppSettings.h"
#include "media/PictureFile.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QSvgRenderer>

namespace {

const QString PlaceholderResource = QStringLiteral(":/resources/placeholder-1599.svg");
constexpr QSize PlaceholderSize(860, 482);

// Assistive technology reads the box as a picture.
QAccessibleInterface *pictureBoxInterface(const QString &, QObject *object)
{
    if (auto *box = qobject_cast<PictureBox *>(object))
        return new QAccessibleWidget(box, QAccessible::Graphic);
    return nullptr;
}

} // namespace

PictureBoxLayout computePictureBoxLayout(int drawMode, const QSize &client, const QSize &picture)
{
    PictureBoxLayout layout;
    const int cw = client.width();
    const int ch = client.height();
    const int w = picture.width();
    const int h = picture.height();
    switch (drawMode) {
    case PictureBox::ActualTopLeft:
        layout.fillClient = true;
        layout.picture = QRect(0, 0, w, h);
        break;
    case PictureBox::ActualCentered:
        layout.fillClient = true;
        layout.picture = QRect(cw / 2 - w / 2, ch / 2 - h / 2, w, h);
        break;
    case PictureBox::Stretch:
        layout.picture = QRect(0, 0, cw, ch);
        break;
    case PictureBox::FitLetterbox:
    default: {
        if (cw <= 0 || ch <= 0 || w <= 0 || h <= 0) {
            layout.fillClient = true;
            break;
        }
        const double controlAspect = double(cw) / double(ch);
        const double pictureAspect = double(w) / double(h);
        if (pictureAspect < controlAspect) {
            // Relatively taller than the box: bars left and right; the right one takes an odd pixel.
            const int newW = int(pictureAspect * ch + 0.5);
            layout.bars[0] = QRect(0, 0, cw / 2 - newW / 2, ch);
            layout.bars[1] = QRect(cw / 2 + newW / 2, 0, cw - newW / 2 - cw / 2, ch);
            layout.picture = QRect(cw / 2 - newW / 2, 0, newW, ch);
        } else {
            const int newH = int(cw / pictureAspect + 0.5);
            const int bar = ch / 2 - newH / 2;
            layout.bars[0] = QRect(0, 0, cw, bar);
            layout.bars[1] = QRect(0, ch - bar, cw, bar);
            layout.picture = QRect(0, bar, cw, newH);
        }
        break;
    }
    }
    return layout;
}

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
    // Every paint covers the whole area itself (bars, then picture): no separate erase.
    setAttribute(Qt::WA_OpaquePaintEvent);
    static const bool accessible = (QAccessible::installFactory(pictureBoxInterface), true);
    Q_UNUSED(accessible);
    setAccessibleName(QStringLiteral("Picture preview"));
}

void PictureBox::setDrawMode(int mode)
{
    if (mode < ActualTopLeft || mode > FitLetterbox || mode == m_drawMode)
        return;
    m_drawMode = mode;
    update();
}

bool PictureBox::loadFromFile(const QString &path)
{
    m_picture = QImage();
    if (path.isEmpty())
        return false;
    m_picture = loadPictureFile(path);
    update();
    m_isPlaceholder = false;
    return !m_picture.isNull();
}

bool PictureBox::loadPlaceholder()
{
    m_picture = placeholderImage();
    update();
    m_isPlaceholder = true;
    return !m_picture.isNull();
}

QImage PictureBox::placeholderImage()
{
    QSvgRenderer renderer(PlaceholderResource);
    if (!renderer.isValid())
        return {};
    QImage image(PlaceholderSize, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(PlaceholderSize)));
    painter.end();
    return image;
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor background = QColor::fromRgb(AppSettings::instance().backgroundColor());
    if (m_picture.isNull()) {
        painter.fillRect(rect(), background);
        return;
    }
    const PictureBoxLayout layout = computePictureBoxLayout(m_drawMode, size(), m_picture.size());
    if (layout.fillClient)
        painter.fillRect(rect(), background);
    for (const QRect &bar : layout.bars) {
        if (!bar.isEmpty())
            painter.fillRect(bar, background);
    }
    // The screen's imaging library filters when it scales; Qt's default would pick pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!layout.picture.isEmpty())
        painter.drawImage(layout.picture, m_picture);
}
