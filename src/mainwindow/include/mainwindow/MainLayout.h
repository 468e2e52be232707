#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

// The main window's layout for one window size: pure arithmetic, so it can be checked by table.
struct MainLayoutInput
{
    QSize client;               // the window's size now
    QSize initial;              // its size at start, also its smallest
    QSize createButton;
    QSize saveAsButton;
    int editHeight = 0;         // the output path
    int bandHeight = 0;         // the skin's band across the top
    int titleHeight = 0;        // the skin's title
    int stepMarkerHeight = 0;
    int playButtonWidth = 0;
    QSize video;                // target size
};

// The skin pieces framing the picture box, in the order of their artwork (skin 1502 to 1509):
// top-left, top-right, bottom-right and bottom-left corners, then the top, right, bottom and
// left sides.
using FramePieces = std::array<QRect, 8>;

struct MainLayoutResult
{
    QPoint frameGroupOffset;    // minimize, maximize, restore, exit
    QPoint createButton;        // top-left corner
    QPoint saveAsButton;        // top-left corner
    QRect edit;                 // the output path
    QRect pictureArea;          // where the picture box may go
    QRect pictureBox;
    QPoint playButton;          // play and pause
    QPoint stepGroupOffset;     // the step markers
    QPoint cornerGroupOffset;   // options and help
    QRect band;                 // tiled across the top
    QPoint title;               // top-left corner of the title
    FramePieces frame;          // tiled around the picture box
};

MainLayoutResult computeMainLayout(const MainLayoutInput &in);
// The picture box inside an area, keeping the video's aspect ratio (rounded half up).
QRect fitPictureBox(const QRect &area, const QSize &video);
