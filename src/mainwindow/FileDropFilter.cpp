#include "mainwindow/FileDropFilter.h"

#include "dialogs/FilePreviewReceiver.h"
#include "media/FileClassification.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

FileDropFilter::FileDropFilter(QObject *parent)
    : QObject(parent)
{
}

void FileDropFilter::attach(QWidget *window, FilePreviewReceiver *receiver)
{
    if (m_window != window) {
        if (m_window)
            m_window->removeEventFilter(this);
        m_window = window;
        if (m_window)
            m_window->installEventFilter(this);
    }
    m_receiver = receiver;
    m_registered = true;
    if (m_window)
        m_window->setAcceptDrops(true);
}

void FileDropFilter::detach()
{
    m_registered = false;
    if (m_window)
        m_window->setAcceptDrops(false);
}

QString FileDropFilter::firstDroppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool FileDropFilter::dropAllowed() const
{
    if (!m_registered || !m_receiver || !m_receiver->acceptsDrops())
        return false;
    // Another modal window blocks drops, unless it says it runs beside them (the text dialog).
    QWidget *modal = QApplication::activeModalWidget();
    return !modal || modal == m_window || modal->property(AllowsMainWindowDrops).toBool();
}

bool FileDropFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::DragEnter: {
        auto *drag = static_cast<QDragEnterEvent *>(event);
        const QString path = firstDroppedFile(drag->mimeData());
        if (!dropAllowed() || path.isEmpty()) {
            drag->ignore();
            return true;
        }
        m_dragActive = true;
        if (const FileClassification file = classifyFileQuickly(path); file.isOpenable())
            m_receiver->previewFile(file);
        else
            m_receiver->showPlaceholder();
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!m_dragActive) {
            drag->ignore();
            return true;
        }
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::DragLeave:
        if (m_dragActive) {
            m_dragActive = false;
            if (m_receiver)
                m_receiver->endPreview();
        }
        return true;
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (!m_dragActive) {
            drop->ignore();
            return true;
        }
        m_dragActive = false;
        // A picture the program refuses is still handed on, so the user learns why.
        if (const FileClassification file = classifyFileQuickly(firstDroppedFile(drop->mimeData()));
            file.kind != FileClassification::Kind::Nothing)
            m_receiver->openFile(file);
        else
            m_receiver->endPreview();
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
