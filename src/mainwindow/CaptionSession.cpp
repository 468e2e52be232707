#include "CaptionSession.h"

#include "InputHold.h"
#include "PictureStep.h"

#include "base/Paths.h"
#include "dialogs/CaptionDialog.h"
#include "model/CaptionSettings.h"

CaptionSession::CaptionSession(QWidget *window, PictureStep &step, CaptionSettings &settings)
    : QObject(window)
    , m_window(window)
    , m_step(step)
    , m_settings(settings)
{
}

CaptionDialog *CaptionSession::dialog() const
{
    return m_dialog;
}

void CaptionSession::open(const QString &songPath, const SongTags *tags)
{
    if (m_dialog)
        return;
    // The window is the dialog's parent: the dialog sends it its previews.
    auto *dialog = new CaptionDialog(&m_x, &m_y, &m_settings, m_window);
    dialog->setSongTags(songPath, tags);
    m_dialog = dialog;
    auto *hold = new InputHold(m_window, dialog);
    connect(dialog, &QDialog::finished, this, [this, dialog, hold](int result) {
        m_step.endCaptionPreview();
        delete hold;
        m_dialog = nullptr;
        dialog->deleteLater();
        dialogFinished(result == QDialog::Accepted);
    });
    dialog->setWindowModality(Qt::NonModal);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void CaptionSession::dialogFinished(bool accepted)
{
    if (!accepted) {
        m_step.showPlain();
        emit ended(false);
        return;
    }
    const auto confirm = [this](bool drawn) {
        if (drawn)
            m_settings.textOn = true;
        else
            m_step.showCurrent();
        emit ended(drawn);
    };
    // The last preview may not be of the confirmed settings (a change only the timer saw, a
    // dropped or failed preview, a picture dropped meanwhile and drawn with the caption before):
    // draw them before calling the step done.
    const PicturePreparation &picture = m_step.preparation();
    if (picture.state() == PicturePreparation::State::WithText && picture.withTextSettings() == m_settings
        && isNonEmptyFile(picture.withTextPath()))
        confirm(true);
    else
        m_step.drawCaption(m_settings, confirm);
}
