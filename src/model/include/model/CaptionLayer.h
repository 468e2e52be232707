#pragma once

#include "media/FontCoverage.h"

#include <QHash>
#include <QImage>
#include <QRgb>
#include <QString>

// The caption drawn by the program itself, for the text the image tool cannot draw with one font
// and without shaping: Qt's text layout shapes it (joining, right to left, combining marks), each
// run in the font the plan gives it, and the image tool lays the result onto the picture.
// Callable from any thread under a QGuiApplication; reads font files.

// Transparent space around the caption's box, so that glyphs reaching beyond it are not cut.
int captionLayerMargin(int pixelSize);

// The text's lines (LF apart) in color on a transparent picture: the box the lines take, lines
// aligned left (column 0), centred (1) or right (2) in it, with captionLayerMargin on each side.
// fonts gives each run's font file by name. A null picture when a font cannot be loaded.
QImage drawCaptionLayer(const QString &text, const CaptionFontPlan &plan,
                        const QHash<QString, QString> &fonts, int pixelSize, QRgb color, int column);
