#include "FrameHandler.h"

#include "MainFrame.h"
#include "base/TargetSizeTable.h"
#include "mainwindow/MainWindow.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>

namespace {

// A double click this close to the top maximizes or restores, as on a title bar.
constexpr int TitleBandHeight = 26;

} // namespace

FrameHandler::FrameHandler(MainWindow *window)
    : QObject(window)
    , m_window(window)
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
    QWidget *create = m_window->control(MainWindow::CreateButton);
    QWidget *saveAs = m_window->control(MainWindow::SaveAsButton);
    QWidget *play = m_window->control(MainWindow::PlayButton);
    MainLayoutInput in;
    in.client = m_window->size();
    in.initial = m_initialSize;
    in.createButton = create->size();
    in.saveAsButton = saveAs->size();
    in.editHeight = m_window->outputEdit()->height();
    in.stepMarkerHeight = m_window->control(MainWindow::Step1Done)->height();
    in.playButtonWidth = play->width();
    in.video = TargetSizeTable::instance().current().size();

    const MainLayoutResult &layout = m_frame->layOut(in);
    create->move(layout.createButton);
    saveAs->move(layout.saveAsButton);
    m_window->outputEdit()->setGeometry(layout.edit);
    m_window->pictureBox()->setGeometry(layout.pictureBox);
    play->move(layout.playButton);
    m_window->control(MainWindow::PauseButton)->move(layout.playButton);
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
            m_window->control(MainWindow::RestoreButton)->setVisible(maximized);
            m_window->control(MainWindow::MaximizeButton)->setVisible(!maximized);
            layOut();
        }
        break;
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && mouse->position().y() < TitleBandHeight) {
            if (m_window->control(MainWindow::MaximizeButton)->isVisible())
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
