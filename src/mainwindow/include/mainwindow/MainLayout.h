#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The main window's layout for one window size: pure arithmetic, so it can be checked by table.
struct MainLayoutInput
{
    QSize client;               // W x H
    QSize initial;              // initialWidth x initialHeight
    QSize createButton;         // 1116
    QSize saveAsButton;         // 1114
    int editHeight = 0;         // 1115
    int titleHeight = 0;        // skin bitmap 1501
    int stepMarkerHeight = 0;   // 1105
    int playButtonWidth = 0;    // 1112
    QSize video;                // target size
};

struct MainLayoutResult
{
    QPoint frameGroupOffset;    // 1101-1104
    QPoint createButton;        // top-left of 1116
    QPoint saveAsButton;        // top-left of 1114
    QRect edit;                 // 1115
    QRect pictureArea;          // where the picture box may go
    QRect pictureBox;           // 1111
    QPoint playButton;          // 1112 and 1113
    QPoint stepGroupOffset;     // 1105-1110
    QPoint cornerGroupOffset;   // 1117, 1118
};

MainLayoutResult computeMainLayout(const MainLayoutInput &in);
// The picture box inside an area, keeping the video's aspect ratio (rounded half up).
QRect fitPictureBox(const QRect &area, const QSize &video);
