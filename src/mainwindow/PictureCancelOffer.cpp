#include "PictureCancelOffer.h"

#include "widgets/MessageBox.h"

#include <QApplication>
#include <QEvent>
#include <QProgressDialog>

PictureCancelOffer::PictureCancelOffer(QWidget *owner)
    : m_owner(owner)
{
    qApp->installEventFilter(this);
    m_delay.setSingleShot(true);
    connect(&m_delay, &QTimer::timeout, this, &PictureCancelOffer::offer);
    m_delay.start(DelayMs);
}

PictureCancelOffer::~PictureCancelOffer()
{
    qApp->removeEventFilter(this);
    delete m_dialog;
}

void PictureCancelOffer::offer()
{
    auto *dialog = new QProgressDialog(QStringLiteral("Preparing the picture..."), QStringLiteral("Cancel"), 0, 0, m_owner);
    dialog->setWindowTitle(MessageBox::caption());
    // Modal, it keeps the clicks from every other window while the tool works.
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    dialog->setMinimumDuration(0);
    connect(dialog, &QProgressDialog::canceled, this, &PictureCancelOffer::canceled);
    m_dialog = dialog;
    dialog->show();
}

bool PictureCancelOffer::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: {
        // The picture being prepared is what the next command works on: nothing acts before
        // it is ready, but the offer's own window.
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || (m_dialog && widget->window() == m_dialog))
            break;
        event->accept();
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
