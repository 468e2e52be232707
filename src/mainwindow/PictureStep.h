#pragma once

#include "model/PicturePreparation.h"

#include <functional>

class CaptionPreviewSource;
class PictureBox;
class QWidget;
struct CaptionSettings;

// The main window's picture: the user's picture prepared for the target size, with or without
// the caption, and the box that shows it. A picture that could not be prepared is never shown.
class PictureStep
{
public:
    // `captions` are drawn on every picture prepared while they are on.
    PictureStep(QWidget *owner, PictureBox *box, const CaptionSettings *captions);

    // Takes a new picture (empty: none). When it cannot be prepared, the one before comes back,
    // or none. True when a picture is set. Without showFailures a failure shows no message (a
    // picture the user did not choose).
    bool take(const QString &path, bool showFailures = true);
    // Runs `task` once no picture is being prepared, from the event loop; a later task replaces
    // one still waiting.
    void whenIdle(std::function<void()> task);
    // Prepares the picture again for a new target size; false when it was lost on the way.
    bool redo();
    // Draws a caption onto the plain picture and shows it; on failure the plain picture shows.
    // The box keeps the picture it shows until the new one is ready.
    bool drawCaption(const CaptionSettings &settings);
    // Draws the caption dialog's current settings while the user goes on typing. A request that
    // comes while a drawing is under way (false) is kept, one at most, and drawn right after it
    // from the controls as they are then.
    bool previewCaption(CaptionPreviewSource *dialog);
    // The caption dialog has ended: the preview being drawn is stopped and none follows.
    void endCaptionPreview();
    // Goes back to the picture without caption.
    void showPlain();
    void showCurrent();

    // True while the image tool works for it: drops then wait.
    bool isPreparing() const { return m_preparing; }
    PicturePreparation &preparation() { return m_preparation; }

private:
    bool prepare(const QString &path);
    void runIdleTask();
    void queueIdleTask();

    QWidget *m_owner;
    PictureBox *m_box;
    const CaptionSettings *m_captions;
    PicturePreparation m_preparation;
    bool m_preparing = false;
    bool m_captionPreviewBusy = false;
    std::function<void()> m_idleTask;
    bool m_captionPreviewPending = false;
    bool m_captionPreviewEnded = false;
};
