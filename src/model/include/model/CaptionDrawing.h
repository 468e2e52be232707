#pragma once

#include "model/CaptionSettings.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct Placement;

// How the image tool is to draw one caption, decided with the font files read.
struct CaptionDrawing
{
    // The tool's arguments; empty when the layers could not be drawn or written.
    QStringList arguments;
    // The layers written for the tool, to be removed after its run.
    QStringList layerFiles;
    // Characters no listed font has.
    QList<char32_t> missing;
};

// The caption onto input into output: the tool's own text drawing in the chosen font when that
// font has the whole text and it needs no shaping, so such captions come out as they always have;
// else layers drawn here with a font per character (drawCaptionLayer), written beside
// layerPrefix ("<layerPrefix>text.png", "<layerPrefix>shadow.png"). fontNames and glyphFiles are
// the tool's font list. Reads font files: for a worker thread; callable from any thread.
CaptionDrawing prepareCaptionDrawing(const QString &input, const CaptionSettings &settings,
                                     const Placement &placement, const QString &output,
                                     const QString &layerPrefix, const QStringList &fontNames,
                                     const QHash<QString, QString> &glyphFiles);
