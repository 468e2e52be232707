#include "dialogs/ActualSizeViewer.h"

#include "media/PictureFile.h"
#include "widgets/MessageBox.h"
#include "widgets/WindowMover.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

QPoint placeCenteredInWorkArea(const QRect &ownerFrame, const QSize &frameSize, const QRect &workArea)
{
    QRect frame(QPoint(0, 0), frameSize);
    frame.moveCenter(ownerFrame.center());
    int x = frame.x();
    int y = frame.y();
    if (x + frame.width() > workArea.x() + workArea.width())
        x = workArea.x() + workArea.width() - frame.width();
    if (x < workArea.x())
        x = workArea.x();
    if (y + frame.height() > workArea.y() + workArea.height())
        y = workArea.y() + workArea.height() - frame.height();
    if (y < workArea.y())
        y = workArea.y();
    return QPoint(x, y);
}

ActualSizeViewer::ActualSizeViewer(const QString &picturePath, QWidget *parent)
    : QDialog(parent ? parent : QApplication::activeWindow(),
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_picturePath(picturePath)
    , m_mover(new WindowMover(this))
{
    // The caption stays the window's name: it tells how to close the viewer.
    setAccessibleDescription(QStringLiteral("Picture at actual size"));
}

bool ActualSizeViewer::initialize()
{
    setWindowTitle(QStringLiteral("%1 View Actual Size - Press Esc to Close").arg(MessageBox::caption()));
    m_picture = loadPictureFile(m_picturePath);
    if (m_picture.isNull()) {
        MessageBox::information(this, QStringLiteral("Unable to load the Picture for Viewing."));
        return false;
    }
    // One picture pixel per screen pixel, also on a scaled screen.
    const qreal ratio = devicePixelRatioF();
    m_picture.setDevicePixelRatio(ratio);
    const QSize clientSize = (QSizeF(m_picture.size()) / ratio).toSize();
    setFixedSize(clientSize);

    // The frame is not known before the window is shown: the owner's frame is the best guess.
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    QMargins frameMargins;
    QScreen *screen = nullptr;
    QRect ownerFrame;
    if (owner) {
        ownerFrame = WindowMover::serverFrameGeometry(owner);
        if (const QWindow *handle = owner->windowHandle())
            frameMargins = handle->frameMargins();
        screen = owner->screen();
    } else {
        screen = QGuiApplication::screenAt(QCursor::pos());
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect();
    if (ownerFrame.isNull())
        ownerFrame = workArea;
    const QSize frameSize = clientSize.grownBy(frameMargins);
    move(placeCenteredInWorkArea(ownerFrame, frameSize, workArea));
    return true;
}

int ActualSizeViewer::exec()
{
    if (!initialize())
        return 0;
    return QDialog::exec();
}

void ActualSizeViewer::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_picture);
}

void ActualSizeViewer::keyPressEvent(QKeyEvent *event)
{
    // A dialog without buttons would ignore Return.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool ActualSizeViewer::isDragging() const
{
    return m_mover->isDragging();
}
