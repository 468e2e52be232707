#include "FrameHandler.h"

#include "MainFrame.h"
#include "base/TargetSizeTable.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {

// A double click this close to the top maximizes or restores, as on a title bar.
constexpr int TitleBandHeight = 26;

} // namespace

FrameHandler::FrameHandler(QWidget *window, const FrameControls &controls)
    : QObject(window)
    , m_window(window)
    , m_controls(controls)
    , m_frame(std::make_unique<MainFrame>(qApp->devicePixelRatio()))
{
    m_window->installEventFilter(this);
}

FrameHandler::~FrameHandler() = default;

void FrameHandler::anchor(const QList<QWidget *> &topRight, const QList<QWidget *> &center,
                          const QList<QWidget *> &bottomRight)
{
    m_frame->anchor(topRight, center, bottomRight);
}

void FrameHandler::start(QSize initial)
{
    m_initialSize = initial;
    m_started = true;
}

void FrameHandler::layOut()
{
    if (!m_started)
        return;
    const FrameControls &c = m_controls;
    MainLayoutInput in;
    in.client = m_window->size();
    in.initial = m_initialSize;
    in.createButton = c.createButton->size();
    in.saveAsButton = c.saveAsButton->size();
    in.editHeight = c.outputEdit->height();
    in.stepMarkerHeight = c.stepMarker->height();
    in.playButtonWidth = c.playButton->width();
    in.video = TargetSizeTable::instance().current().size();

    const MainLayoutResult &layout = m_frame->layOut(in);
    c.createButton->move(layout.createButton);
    c.saveAsButton->move(layout.saveAsButton);
    c.outputEdit->setGeometry(layout.edit);
    c.pictureBox->setGeometry(layout.pictureBox);
    c.playButton->move(layout.playButton);
    c.pauseButton->move(layout.playButton);
    m_window->update();
}

void FrameHandler::paint(QPainter &painter) const
{
    m_frame->paint(painter, m_window->rect());
}

bool FrameHandler::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
        layOut();
        break;
    case QEvent::WindowStateChange:
        if (m_started) {
            const bool maximized = m_window->isMaximized();
            m_controls.restoreButton->setVisible(maximized);
            m_controls.maximizeButton->setVisible(!maximized);
            layOut();
        }
        break;
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && mouse->position().y() < TitleBandHeight) {
            if (m_controls.maximizeButton->isVisible())
                m_window->showMaximized();
            else
                m_window->showNormal();
        }
        break;
    }
    default:
        break;
    }
    // The window goes on handling the event as if nobody had looked.
    return false;
}
