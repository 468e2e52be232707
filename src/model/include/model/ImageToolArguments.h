#pragma once

#include <QString>
#include <QStringList>

struct CaptionSettings;
struct Placement;
struct ToolResult;

// The image tool's arguments and verdicts as pure functions.

// The message for an image tool that was stopped after `timeoutMs`: it names the tool.
QString imageToolTimedOutText(const QString &toolPath, int timeoutMs);

// "bmp:/abs/path": every picture the program writes is a bitmap.
QString imageToolOutput(const QString &absolutePath);
// The caption as the image tool's text: backslash doubled, line breaks as \n, % as \%, and a
// leading @ (which would make the tool read a file) as \@.
QString escapeCaptionText(const QString &text);
QStringList letterboxArguments(const QString &input, int width, int height, quint32 background,
                               const QString &output);
// The caption drawn by the tool itself in settings.fontName: for text that font has whole, in a
// script drawn character by character from left to right.
QStringList captionArguments(const QString &input, const CaptionSettings &settings,
                             const Placement &placement, const QString &output);
// The caption as pictures drawn beforehand (drawCaptionLayer) laid onto input: the shadow's, when
// it is on, then the text's; margin is the layers' transparent border around the caption's box.
QStringList layeredCaptionArguments(const QString &input, const CaptionSettings &settings,
                                    const Placement &placement, const QString &textLayer,
                                    const QString &shadowLayer, int margin, const QString &output);
QStringList blankCanvasArguments(int width, int height, quint32 background, const QString &output);

// The message for a picture the program refuses before the image tool sees it; reason is a
// sentence (readPictureInfo's).
QString refusedPictureMessage(const QString &path, const QString &reason);

// A run of the image tool failed: it did not start, crashed, timed out, exited non-zero, wrote no
// output, reported an error in ImageMagick's own form ("@ error/"), or could not read the font
// (in any form: a warning where the tool falls back to another font), or found the JPEG cut short.
bool imageToolRunFailed(const ToolResult &result, bool outputWritten);
