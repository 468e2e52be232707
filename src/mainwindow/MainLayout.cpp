#include "mainwindow/MainLayout.h"

namespace {

// The title artwork's width: it is centered on the window.
constexpr int TitleWidth = 176;
constexpr int TitleTop = 37;
constexpr int FrameSide = 23;
constexpr int FrameTop = 11;
constexpr int FrameBottom = 42;

// The bottom of the frame is deep enough for the play button.
FramePieces framePieces(const QRect &pictureBox)
{
    const int left = pictureBox.x();
    const int top = pictureBox.y();
    const int right = left + pictureBox.width();
    const int bottom = top + pictureBox.height();
    return {
        QRect(left - FrameSide, top - FrameTop, FrameSide, FrameTop),
        QRect(right, top - FrameTop, FrameSide, FrameTop),
        QRect(right, bottom, FrameSide, FrameBottom),
        QRect(left - FrameSide, bottom, FrameSide, FrameBottom),
        QRect(left, top - FrameTop, pictureBox.width(), FrameTop),
        QRect(right, top, FrameSide, pictureBox.height()),
        QRect(left, bottom, pictureBox.width(), FrameBottom),
        QRect(left - FrameSide, top, FrameSide, pictureBox.height()),
    };
}

} // namespace

QRect fitPictureBox(const QRect &area, const QSize &video)
{
    // Half-open rectangles as the arithmetic expects: right = left + width.
    const int areaW = area.width();
    const int areaH = area.height();
    if (areaW <= 0 || areaH <= 0 || video.isEmpty())
        return QRect(area.topLeft(), QSize(0, 0));
    const double areaAspect = double(areaW) / double(areaH);
    const double videoAspect = double(video.width()) / double(video.height());
    int boxW;
    int boxH;
    if (!(videoAspect > areaAspect)) {
        boxH = areaH;
        boxW = int(videoAspect * boxH + 0.5);
    } else {
        boxW = areaW;
        boxH = int(boxW / videoAspect + 0.5);
    }
    return QRect(area.left() + areaW / 2 - boxW / 2, area.top() + areaH / 2 - boxH / 2, boxW, boxH);
}

MainLayoutResult computeMainLayout(const MainLayoutInput &in)
{
    MainLayoutResult r;
    const int W = in.client.width();
    const int H = in.client.height();
    r.frameGroupOffset = QPoint(W - in.initial.width(), 0);

    r.createButton = QPoint(W / 2 - in.createButton.width() / 2 - 3, H - in.createButton.height() - 15);
    r.saveAsButton = QPoint(20, r.createButton.y() - 48);
    const int saveRight = r.saveAsButton.x() + in.saveAsButton.width();
    r.edit = QRect(saveRight + 10, r.saveAsButton.y() + 6, W - saveRight - 40, in.editHeight);

    const int top = in.titleHeight + in.stepMarkerHeight + 47;
    const int bottom = r.saveAsButton.y() - 57;
    r.pictureArea = QRect(34, top, (W - 34) - 34, bottom - top);
    r.pictureBox = fitPictureBox(r.pictureArea, in.video);

    r.playButton = QPoint(W / 2 - in.playButtonWidth / 2 - 2, r.pictureBox.y() + r.pictureBox.height());
    r.stepGroupOffset = QPoint((W - in.initial.width()) / 2, r.pictureBox.y() - 134);
    r.cornerGroupOffset = QPoint(W - in.initial.width(), H - in.initial.height());
    r.band = QRect(0, 0, W, in.bandHeight);
    r.title = QPoint(W / 2 - TitleWidth / 2, TitleTop);
    r.frame = framePieces(r.pictureBox);
    return r;
}
