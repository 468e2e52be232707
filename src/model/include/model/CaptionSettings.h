#pragma once

#include <QRgb>
#include <QString>

// One caption: its text, font, colors, placement and drop shadow. Plain value; lines are
// separated by LF inside the program.
struct CaptionSettings
{
    bool textOn = false;
    QString fontName = QStringLiteral("Arial-Black");
    int pointSize = 40;
    QRgb textColor = qRgb(255, 255, 255);
    QString text = QStringLiteral("Please type\nyour text\nhere, thanks");
    int xPosition = 0;              // to the right of the anchor point
    int yPosition = 0;              // downwards from the anchor point
    int placement = 4;              // 0..8 row by row from the top left
    bool shadowOn = true;
    QRgb shadowColor = qRgb(128, 128, 128);
    int shadowXOffset = 3;
    int shadowYOffset = 3;

    // Every field but textOn takes part: turning the caption on or off is no edit of it.
    bool operator==(const CaptionSettings &other) const;
    bool operator!=(const CaptionSettings &other) const { return !(*this == other); }
};

// What the caption dialog's OK finds wrong with a record, in the order the rules are applied.
enum class CaptionProblem {
    None,
    NoText,             // only white space
    ShadowOffsetZero,   // both shadow offsets 0, whether or not the shadow is on
};

CaptionProblem checkCaptionSettings(const CaptionSettings &settings);
// The message for a problem; empty for None.
QString captionProblemMessage(CaptionProblem problem);

// Tooltip of a placement box, "Top Left" ... "Bottom Right"; empty outside 0..8.
QString placementLabel(int placement);
