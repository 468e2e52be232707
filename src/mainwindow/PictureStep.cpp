#include "PictureStep.h"

#include "PictureCancelOffer.h"

#include "widgets/MessageBox.h"
#include "dialogs/CaptionPreview.h"
#include "model/CaptionSettings.h"
#include "widgets/PictureBox.h"

#include <QWidget>

#include <utility>

PictureStep::PictureStep(QWidget *owner, PictureBox *box, const CaptionSettings *captions,
                         const BlankCanvases &canvases)
    : m_owner(owner)
    , m_box(box)
    , m_captions(captions)
    , m_preparation(canvases)
{
    connect(&m_preparation, &PicturePreparation::finished, this, &PictureStep::preparationEnded);
}

PictureStep::~PictureStep() = default;

void PictureStep::run(bool offerCancel, Then then)
{
    m_then = std::move(then);
    if (offerCancel) {
        m_offer = std::make_unique<PictureCancelOffer>(m_owner);
        connect(m_offer.get(), &PictureCancelOffer::canceled, &m_preparation, &PicturePreparation::cancel);
    }
}

void PictureStep::preparationEnded(const PictureResult &result)
{
    // The offer goes first: a message about the failure must take the user's input.
    m_offer.reset();
    if (m_then)
        std::exchange(m_then, {})(result);
}

void PictureStep::report(const PictureResult &result, bool showFailures)
{
    if (!showFailures)
        return;
    const QString text = pictureProblemMessage(result.problem);
    if (!text.isEmpty())
        MessageBox::information(m_owner, text);
}

void PictureStep::prepare(const QString &path, bool showFailures, std::function<void(bool)> then,
                          const std::optional<PictureFileInfo> &info)
{
    // The box shows nothing while the picture is redone, and only a picture that was prepared.
    m_box->loadFromFile(QString());
    m_box->update();
    run(true, [this, showFailures, then = std::move(then)](const PictureResult &result) {
        report(result, showFailures);
        if (result.succeeded())
            m_box->loadFromFile(m_preparation.currentPicturePath());
        then(result.succeeded());
    });
    m_preparation.setSourcePicture(path, m_captions, info ? &*info : nullptr);
}

void PictureStep::take(const QString &path, bool showFailures, Done done, std::optional<PictureFileInfo> info)
{
    if (m_preparing) {
        // The header read now may be stale by the time this runs: it is read again then.
        m_waiting.push_back([this, path, showFailures, done] { take(path, showFailures, done); });
        return;
    }
    m_preparing = true;
    const QString previous = m_preparation.sourcePath();
    const auto end = [this, done](bool set) {
        if (!set)
            showCurrent();
        m_box->update();
        finish(done, set);
    };
    prepare(path, showFailures, [=](bool ok) {
        if (ok || path.isEmpty()) {
            end(!path.isEmpty());
            return;
        }
        // Back to the picture before, or to none.
        const auto none = [=] { prepare(QString(), showFailures, [=](bool) { end(false); }); };
        if (previous.isEmpty() || previous == path) {
            none();
            return;
        }
        prepare(previous, showFailures, [=](bool restored) {
            if (restored)
                end(true);
            else
                none();
        });
    }, info);
}

void PictureStep::redo(Done done)
{
    if (m_preparing) {
        m_waiting.push_back([this, done] { redo(done); });
        return;
    }
    m_preparing = true;
    const QString source = m_preparation.sourcePath();
    prepare(source, true, [=](bool ok) {
        if (ok || source.isEmpty()) {
            finish(done, true);
            return;
        }
        prepare(QString(), true, [=](bool) {
            showCurrent();
            finish(done, false);
        });
    });
}

void PictureStep::drawCaption(const CaptionSettings &settings, Done done)
{
    if (m_preparing) {
        m_waiting.push_back([this, settings, done] { drawCaption(settings, done); });
        return;
    }
    m_preparing = true;
    run(true, [this, done](const PictureResult &result) {
        report(result, true);
        showCurrent();
        finish(done, result.succeeded());
    });
    m_preparation.renderText(settings);
}

void PictureStep::finish(const Done &done, bool value)
{
    m_preparing = false;
    if (done)
        done(value);
    settle();
}

void PictureStep::settle()
{
    if (m_preparing)
        return;
    if (!m_waiting.empty()) {
        const std::function<void()> next = std::move(m_waiting.front());
        m_waiting.pop_front();
        next();
        return;
    }
    queueIdleTask();
    emit settled();
}

void PictureStep::whenIdle(std::function<void()> task)
{
    m_idleTask = std::move(task);
    queueIdleTask();
}

void PictureStep::queueIdleTask()
{
    // Queued, so the task never runs inside a preparation's own call.
    if (m_idleTask)
        QMetaObject::invokeMethod(this, &PictureStep::runIdleTask, Qt::QueuedConnection);
}

void PictureStep::runIdleTask()
{
    // A preparation that began since the task was queued queues it again when it ends.
    if (m_preparing || !m_idleTask)
        return;
    std::exchange(m_idleTask, {})();
}

bool PictureStep::previewCaption(CaptionPreviewSource *dialog)
{
    if (m_captionPreviewBusy || m_preparing) {
        m_captionPreviewPending = true;
        return false;
    }
    m_captionPreviewBusy = true;
    m_captionPreviewEnded = false;
    m_previewDialog = dialog;
    m_preparing = true;
    drawPreview(true);
    return true;
}

void PictureStep::drawPreview(bool first)
{
    m_captionPreviewPending = false;
    CaptionSettings &working = m_previewDialog->workingSettings();
    const CaptionSettings drawn = working;
    m_previewDialog->readControls(working);
    // A request whose controls the last drawing already showed needs no other.
    if (!first && working == drawn && m_preparation.state() == PicturePreparation::State::WithText) {
        endPreviewRun();
        return;
    }
    // No offer: the user goes on typing while the tool draws.
    run(false, [this](const PictureResult &result) { previewDrawn(result); });
    m_preparation.renderText(working);
}

void PictureStep::previewDrawn(const PictureResult &result)
{
    report(result, true);
    if (m_captionPreviewEnded) {
        endPreviewRun();
        return;
    }
    // Shown only when ready; a failed drawing leaves the picture without caption.
    showCurrent();
    emit previewShown();
    if (m_captionPreviewPending)
        drawPreview(false);
    else
        endPreviewRun();
}

void PictureStep::endPreviewRun()
{
    m_captionPreviewPending = false;
    m_captionPreviewBusy = false;
    m_previewDialog = nullptr;
    m_preparing = false;
    settle();
}

void PictureStep::endCaptionPreview()
{
    m_captionPreviewEnded = true;
    m_captionPreviewPending = false;
    if (m_captionPreviewBusy)
        m_preparation.cancel();
}

void PictureStep::showPlain()
{
    m_preparation.setState(PicturePreparation::State::Plain);
    showCurrent();
}

void PictureStep::showCurrent()
{
    m_box->loadFromFile(m_preparation.currentPicturePath());
}
