#pragma once

#include "mainwindow/MainLayout.h"
#include "widgets/AnchorGroup.h"

#include <QList>
#include <QPixmap>

#include <array>

class QPainter;
class QRect;
class QWidget;

// The main window's skin: the band across the top, the title and the frame around the picture,
// painted where the layout puts them, and the controls that keep their place to the top-right
// corner, the center and the bottom-right corner as the window grows.
class MainFrame
{
public:
    // The artwork at the screen's pixel ratio.
    explicit MainFrame(qreal devicePixelRatio);

    // Where the controls stand now, at the window's start size, is where they move from.
    void anchor(const QList<QWidget *> &topRight, const QList<QWidget *> &center,
                const QList<QWidget *> &bottomRight);
    // Completes the input with the artwork's heights, moves the anchored controls and keeps the
    // layout to paint by.
    const MainLayoutResult &layOut(MainLayoutInput in);
    void paint(QPainter &painter, const QRect &client) const;

private:
    std::array<QPixmap, 10> m_skin; // band, title and the picture frame's eight pieces
    AnchorGroup m_topRight;
    AnchorGroup m_center;
    AnchorGroup m_bottomRight;
    MainLayoutResult m_layout;
};
