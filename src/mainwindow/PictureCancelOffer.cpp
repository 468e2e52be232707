#include "PictureCancelOffer.h"

#include "model/PicturePreparation.h"
#include "widgets/MessageBox.h"

#include <QProgressDialog>

PictureCancelOffer::PictureCancelOffer(QWidget *owner, PicturePreparation &preparation)
    : m_owner(owner)
    , m_preparation(preparation)
{
    m_delay.setSingleShot(true);
    // Timers run inside the tool's wait, where input is held back until this fires.
    connect(&m_delay, &QTimer::timeout, this, &PictureCancelOffer::offer);
    m_delay.start(DelayMs);
}

PictureCancelOffer::~PictureCancelOffer()
{
    delete m_dialog;
}

void PictureCancelOffer::offer()
{
    auto *dialog = new QProgressDialog(QStringLiteral("Preparing the picture..."), QStringLiteral("Cancel"), 0, 0, m_owner);
    dialog->setWindowTitle(MessageBox::caption());
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    dialog->setMinimumDuration(0);
    connect(dialog, &QProgressDialog::canceled, this, [this] { m_preparation.cancel(); });
    m_dialog = dialog;
    dialog->show();
    // Modal, the window keeps the clicks from every other window while the tool works.
    m_preparation.allowUserInput();
}
