#include "MainFrame.h"

#include "widgets/SkinArtwork.h"

#include <QPainter>

namespace {

// The skin's background color under the band and frame.
const QColor SkinFill(1, 75, 140);
// Where the picture area starts when the title artwork is missing.
constexpr int DefaultTitleHeight = 37;

int logicalHeight(const QPixmap &pixmap)
{
    return int(pixmap.height() / pixmap.devicePixelRatio());
}

} // namespace

MainFrame::MainFrame(qreal devicePixelRatio)
{
    for (int i = 0; i < int(m_skin.size()); ++i)
        m_skin[size_t(i)] = SkinArtwork::skinBitmap(1500 + i, devicePixelRatio);
}

void MainFrame::anchor(const QList<QWidget *> &topRight, const QList<QWidget *> &center,
                       const QList<QWidget *> &bottomRight)
{
    for (QWidget *control : topRight)
        m_topRight.addControl(control, 1.0f, 1.0f);
    for (QWidget *control : center)
        m_center.addControl(control, 1.0f, 1.0f);
    for (QWidget *control : bottomRight)
        m_bottomRight.addControl(control, 1.0f, 1.0f);
}

const MainLayoutResult &MainFrame::layOut(MainLayoutInput in)
{
    in.bandHeight = logicalHeight(m_skin[0]);
    in.titleHeight = m_skin[1].isNull() ? DefaultTitleHeight : logicalHeight(m_skin[1]);
    m_layout = computeMainLayout(in);
    m_topRight.moveBy(m_layout.frameGroupOffset.x(), m_layout.frameGroupOffset.y());
    m_center.moveBy(m_layout.stepGroupOffset.x(), m_layout.stepGroupOffset.y());
    m_bottomRight.moveBy(m_layout.cornerGroupOffset.x(), m_layout.cornerGroupOffset.y());
    return m_layout;
}

void MainFrame::paint(QPainter &painter, const QRect &client) const
{
    painter.fillRect(client, SkinFill);
    if (!m_skin[0].isNull())
        painter.drawTiledPixmap(m_layout.band, m_skin[0]);
    if (!m_skin[1].isNull())
        painter.drawPixmap(QPointF(m_layout.title), m_skin[1]);
    for (size_t i = 0; i < m_layout.frame.size(); ++i) {
        const QPixmap &piece = m_skin[i + 2];
        if (!piece.isNull() && !m_layout.frame[i].isEmpty())
            painter.drawTiledPixmap(m_layout.frame[i], piece);
    }
}
