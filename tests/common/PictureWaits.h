#pragma once

#include "model/PictureJob.h"

#include <QString>

#include <functional>

class MainWindow;
class PicturePreparation;
struct CaptionSettings;

namespace TestSupport {

// Starts one request of `preparation` with `start`, waits for its end and, as the window does,
// shows the message its problem calls for. A request that does not end in time counts as failed.
PictureResult finishPicture(PicturePreparation &preparation, const std::function<void()> &start,
                            int timeoutMs = 180000);
bool preparePicture(PicturePreparation &preparation, const QString &path, const CaptionSettings *caption);
bool renderCaption(PicturePreparation &preparation, const CaptionSettings &settings);

// Waits until the window's picture step has no request running or waiting.
bool waitForPictureStep(MainWindow *window, int timeoutMs = 60000);
// Waits until the window shows the caption preview of `text`, with nothing more to draw.
bool waitForCaptionPreview(MainWindow *window, const QString &text, int timeoutMs = 30000);
// Opens the caption dialog and waits until it has ended and what its OK or Cancel called for is
// done; whatever drives the dialog runs from the event loop meanwhile.
bool runCaptionDialog(MainWindow *window, int timeoutMs = 120000);

} // namespace TestSupport
