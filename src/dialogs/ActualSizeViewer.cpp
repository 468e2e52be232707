#include "dialogs/ActualSizeViewer.h"

#include "dialogs/WindowPlacement.h"
#include "media/PictureFile.h"
#include "widgets/MessageBox.h"
#include "widgets/WindowMover.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>

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
    m_picture = loadPictureFile(m_picturePath);
    if (m_picture.isNull()) {
        setWindowTitle(titleFor(100));
        MessageBox::information(this, QStringLiteral("Unable to load the Picture for Viewing."));
        return false;
    }
    // Until the window is framed, the owner's frame is the best guess of the viewer's; a
    // frameless owner leaves a title bar's worth.
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    QMargins frame = owner && owner->windowHandle() ? owner->windowHandle()->frameMargins() : QMargins();
    if (frame.isNull())
        frame = WindowPlacement::guessedFrame();
    fitAndPlace(frame);
    return true;
}

void ActualSizeViewer::fitAndPlace(const QMargins &frame)
{
    m_assumedFrame = frame;
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen *screen = owner ? owner->screen() : QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect();

    // One picture pixel per screen pixel, also on a scaled screen, unless that does not fit.
    const qreal ratio = devicePixelRatioF();
    const QSize actual = (QSizeF(m_picture.size()) / ratio).toSize();
    const QSize clientSize = WindowPlacement::fitWithin(actual, WindowPlacement::clientRoom(workArea, frame));
    if (clientSize == actual) {
        m_shown = m_picture;
    } else {
        m_shown = m_picture.scaled((QSizeF(clientSize) * ratio).toSize(), Qt::IgnoreAspectRatio,
                                   Qt::SmoothTransformation);
    }
    m_shown.setDevicePixelRatio(ratio);
    const int percent = clientSize == actual
        ? 100 : std::clamp(int(100.0 * clientSize.width() / actual.width()), 1, 99);
    setWindowTitle(titleFor(percent));
    setFixedSize(clientSize);

    const QRect ownerFrame = owner ? WindowMover::serverFrameGeometry(owner) : workArea;
    const QPoint corner = WindowPlacement::centeredOver(ownerFrame.isNull() ? workArea : ownerFrame,
                                                         clientSize.grownBy(frame), workArea);
    // A shown window is placed by its client area, as the window manager takes it.
    if (windowHandle() && isVisible())
        windowHandle()->setPosition(corner + QPoint(frame.left(), frame.top()));
    else
        move(corner);
}

QString ActualSizeViewer::titleFor(int percent)
{
    if (percent >= 100)
        return QStringLiteral("%1 View Actual Size - Press Esc to Close").arg(MessageBox::caption());
    return QStringLiteral("%1 View Actual Size - Scaled to %2% to Fit the Screen - Press Esc to Close")
        .arg(MessageBox::caption())
        .arg(percent);
}

void ActualSizeViewer::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || !windowHandle() || m_picture.isNull())
        return;
    fitAndPlace(m_assumedFrame);
    windowHandle()->installEventFilter(this);
}

bool ActualSizeViewer::eventFilter(QObject *watched, QEvent *event)
{
    // Framed: sized and placed again when the real frame differs from the one assumed. The
    // window manager's frame may become known after the window is exposed, with a move.
    if (watched == windowHandle() && (event->type() == QEvent::Expose || event->type() == QEvent::Move)
        && windowHandle()->isExposed() && !windowHandle()->frameMargins().isNull()) {
        windowHandle()->removeEventFilter(this);
        const QMargins frame = windowHandle()->frameMargins();
        if (!m_picture.isNull() && frame != m_assumedFrame)
            fitAndPlace(frame);
    }
    return QDialog::eventFilter(watched, event);
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
    painter.drawImage(QPoint(0, 0), m_shown);
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
