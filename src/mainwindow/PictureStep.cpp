#include "PictureStep.h"

#include "PictureCancelOffer.h"

#include "dialogs/CaptionPreview.h"
#include "model/CaptionSettings.h"
#include "widgets/PictureBox.h"

#include <QWidget>

#include <utility>

PictureStep::PictureStep(QWidget *owner, PictureBox *box, const CaptionSettings *captions)
    : m_owner(owner)
    , m_box(box)
    , m_captions(captions)
{
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
    m_box->loadFromFile(QString());
    m_preparing = true;
    const PictureCancelOffer offer(m_owner, m_preparation);
    const bool drawn = m_preparation.renderText(m_owner, settings);
    m_preparing = false;
    queueIdleTask();
    if (drawn) {
        m_preparation.setState(PicturePreparation::State::WithText);
        m_box->loadFromFile(m_preparation.currentPicturePath());
    }
    m_box->update();
    return drawn;
}

bool PictureStep::previewCaption(CaptionPreviewSource *dialog)
{
    if (m_captionPreviewBusy)
        return false;
    m_captionPreviewBusy = true;
    CaptionSettings &working = dialog->workingSettings();
    dialog->readControls(working);
    drawCaption(working);
    m_captionPreviewBusy = false;
    return true;
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
