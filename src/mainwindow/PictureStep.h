#pragma once

#include "model/PicturePreparation.h"

#include <QObject>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class BlankCanvases;
class CaptionPreviewSource;
class PictureBox;
class PictureCancelOffer;
class QWidget;
struct CaptionSettings;

// The main window's picture: the user's picture prepared for the target size, with or without
// the caption, and the box that shows it. A picture that could not be prepared is never shown.
// Every request runs as a job of its PicturePreparation and ends from the event loop; a request
// made while another runs waits for it. The messages a failure calls for are shown here.
class PictureStep : public QObject
{
    Q_OBJECT

public:
    // Told whether the request ended with a picture set (take, redo) or drawn (drawCaption).
    using Done = std::function<void(bool)>;

    // `captions` are drawn on every picture prepared while they are on.
    PictureStep(QWidget *owner, PictureBox *box, const CaptionSettings *captions, const BlankCanvases &canvases);
    ~PictureStep() override;

    // Takes a new picture (empty: none). When it cannot be prepared, the one before comes back,
    // or none. Without showFailures a failure shows no message (a picture the user did not
    // choose).
    // `info` is the picture's header when the caller has just read it (a drop, a file chosen).
    void take(const QString &path, bool showFailures = true, Done done = {},
              std::optional<PictureFileInfo> info = {});
    // Runs `task` once no picture is being prepared, from the event loop; a later task replaces
    // one still waiting.
    void whenIdle(std::function<void()> task);
    // Prepares the picture again for a new target size; false when it was lost on the way.
    void redo(Done done = {});
    // Draws a caption onto the plain picture and shows it; on failure the plain picture shows.
    // The box keeps the picture it shows until the new one is ready.
    void drawCaption(const CaptionSettings &settings, Done done = {});
    // Draws the caption dialog's current settings while the user goes on typing. A request that
    // comes while a drawing is under way (false) is kept, one at most, and drawn right after it
    // from the controls as they are then; one the last drawing already showed draws nothing.
    bool previewCaption(CaptionPreviewSource *dialog);
    // The caption dialog has ended: the preview being drawn is stopped and none follows.
    void endCaptionPreview();
    // Goes back to the picture without caption.
    void showPlain();
    void showCurrent();

    // True while the image tool works for it: drops then wait.
    bool isPreparing() const { return m_preparing; }
    PicturePreparation &preparation() { return m_preparation; }

signals:
    // No request runs and none waits.
    void settled();
    // A caption preview has been drawn and shown (or, failed, the plain picture shows).
    void previewShown();

private:
    using Then = std::function<void(const PictureResult &)>;

    void prepare(const QString &path, bool showFailures, std::function<void(bool)> then,
                 const std::optional<PictureFileInfo> &info = {});
    void run(bool offerCancel, Then then);
    void preparationEnded(const PictureResult &result);
    void report(const PictureResult &result, bool showFailures);
    void finish(const Done &done, bool value);
    void drawPreview(bool first);
    void previewDrawn(const PictureResult &result);
    void endPreviewRun();
    void settle();
    void runIdleTask();
    void queueIdleTask();

    QWidget *m_owner;
    PictureBox *m_box;
    const CaptionSettings *m_captions;
    PicturePreparation m_preparation;
    std::unique_ptr<PictureCancelOffer> m_offer;
    Then m_then;
    std::deque<std::function<void()>> m_waiting;
    std::function<void()> m_idleTask;
    CaptionPreviewSource *m_previewDialog = nullptr;
    bool m_preparing = false;
    bool m_captionPreviewBusy = false;
    bool m_captionPreviewPending = false;
    bool m_captionPreviewEnded = false;
};
