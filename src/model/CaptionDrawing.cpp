#include "model/CaptionDrawing.h"

#include "media/FontCoverage.h"
#include "media/PictureFile.h"
#include "model/CaptionLayer.h"
#include "model/ImageToolArguments.h"
#include "model/PlacementTable.h"

#include <QFile>
#include <QImage>

CaptionDrawing prepareCaptionDrawing(const QString &input, const CaptionSettings &settings,
                                     const Placement &placement, const QString &output,
                                     const QString &layerPrefix, const QStringList &fontNames,
                                     const QHash<QString, QString> &glyphFiles)
{
    CaptionDrawing drawing;
    const CaptionFontPlan plan =
        captionFontPlanFor(settings.fontName, settings.text, fontNames, glyphFiles, fontFileCoverage);
    drawing.missing = plan.missing;
    // The chosen font for the whole text and nothing to shape: the tool draws it. Not another
    // font that has it all: the tool draws no color glyphs, so an emoji font would come out blank.
    const bool chosenFontOnly = plan.runs.size() <= 1
        && (plan.runs.isEmpty() || plan.runs.first().fontName == settings.fontName);
    if (plan.unknownFont || (chosenFontOnly && !textNeedsShaping(settings.text))) {
        drawing.arguments = captionArguments(input, settings, placement, output);
        return drawing;
    }

    const auto writeLayer = [&](QRgb color, const QString &path) {
        const QImage layer = drawCaptionLayer(settings.text, plan, glyphFiles, settings.pointSize, color,
                                              placement.column());
        QFile::remove(path);
        drawing.layerFiles.append(path);
        return !layer.isNull() && layer.save(path, "PNG");
    };
    const QString textLayer = layerPrefix + QStringLiteral("text.png");
    const QString shadowLayer = layerPrefix + QStringLiteral("shadow.png");
    if (!writeLayer(settings.textColor, textLayer)
        || (settings.shadowOn && !writeLayer(settings.shadowColor, shadowLayer)))
        return drawing;
    drawing.arguments = layeredCaptionArguments(input, settings, placement,
                                                imageToolInput(PictureFormat::Png, textLayer),
                                                imageToolInput(PictureFormat::Png, shadowLayer),
                                                captionLayerMargin(settings.pointSize), output);
    return drawing;
}
