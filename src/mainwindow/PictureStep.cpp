#include "PictureStep.h"

#include "PictureCancelOffer.h"

#include "dialogs/CaptionPreview.h"
#include "model/CaptionSettings.h"
#include "widgets/MessageBox.h"
#include "widgets/PictureBox.h"

#include <QWidget>

#include <utility>

PictureStep::PictureStep(QWidget *owner, PictureBox *box, const CaptionSettings *captions)
    : m_owner(owner)
    , m_box(box)
    , m_captions(captions)
{
    // The preparation's failures are told in message boxes, to the window that asked.
    setPictureMessageReporter([](QObject *asking, const QString &text) {
        MessageBox::information(qobject_cast<QWidget *>(asking), text);
    });
}

bool PictureStep::prepare(const QString &path)
{
    m_preparing = true;
    // The box shows nothing while the picture is redone, and only a picture that was prepared.
    m_box->loadFromFile(QString());
    m_box->update();
    const PictureCancelOffer offer(m_owner, m_preparation);
    const bool ok = m_preparation.setSourcePicture(m_owner, path, m_captions);
    if (ok)
        m_box->loadFromFile(m_preparation.currentPicturePath());
    m_preparing = false;
    queueIdleTask();
    return ok;
}

bool PictureStep::take(const QString &path, bool showFailures)
{
    m_preparation.setShowsFailures(showFailures);
    const QString previous = m_preparation.sourcePath();
    bool set = !path.isEmpty();
    if (!prepare(path) && set) {
        set = !previous.isEmpty() && previous != path && prepare(previous);
        if (!set)
            prepare(QString());
    }
    if (!set)
        showCurrent();
    m_box->update();
    m_preparation.setShowsFailures(true);
    return set;
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
        QMetaObject::invokeMethod(m_owner, [this] { runIdleTask(); }, Qt::QueuedConnection);
}

void PictureStep::runIdleTask()
{
    // A preparation that began since the task was queued queues it again when it ends.
    if (m_preparing || !m_idleTask)
        return;
    std::exchange(m_idleTask, {})();
}

bool PictureStep::redo()
{
    const QString source = m_preparation.sourcePath();
    if (prepare(source) || source.isEmpty())
        return true;
    prepare(QString());
    showCurrent();
    return false;
}

bool PictureStep::drawCaption(const CaptionSettings &settings)
{
    m_preparation.setState(PicturePreparation::State::Plain);
    m_preparing = true;
    const PictureCancelOffer offer(m_owner, m_preparation);
    const bool drawn = m_preparation.renderText(m_owner, settings);
    m_preparing = false;
    queueIdleTask();
    if (drawn)
        m_preparation.setState(PicturePreparation::State::WithText);
    showCurrent();
    return drawn;
}

bool PictureStep::previewCaption(CaptionPreviewSource *dialog)
{
    if (m_captionPreviewBusy || m_preparing) {
        m_captionPreviewPending = true;
        return false;
    }
    m_captionPreviewBusy = true;
    m_captionPreviewEnded = false;
    bool first = true;
    do {
        m_captionPreviewPending = false;
        CaptionSettings &working = dialog->workingSettings();
        const CaptionSettings drawn = working;
        dialog->readControls(working);
        // A request whose controls the last drawing already showed needs no other.
        if (!first && working == drawn && m_preparation.state() == PicturePreparation::State::WithText)
            break;
        first = false;
        m_preparation.setState(PicturePreparation::State::Plain);
        m_preparing = true;
        const bool ok = m_preparation.renderTextLive(m_owner, working);
        m_preparing = false;
        if (m_captionPreviewEnded)
            break;
        // Shown only when ready; a failed drawing leaves the picture without caption.
        if (ok)
            m_preparation.setState(PicturePreparation::State::WithText);
        showCurrent();
    } while (m_captionPreviewPending);
    m_captionPreviewPending = false;
    m_captionPreviewBusy = false;
    queueIdleTask();
    return true;
}

void PictureStep::endCaptionPreview()
{
    m_captionPreviewEnded = true;
    m_captionPreviewPending = false;
    m_preparation.cancelRendering();
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
