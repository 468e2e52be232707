#pragma once

#include <QObject>
#include <QString>

class FilePreviewReceiver;
class QMimeData;
class QWidget;

// Makes a window a drop target for files: a file dragged over it is previewed, a dropped one is
// opened, leaving ends the preview. Only local files are taken, always as a copy.
// A modal dialog with this property set to true lets the main window take drops while it runs.
inline constexpr char AllowsMainWindowDrops[] = "allowsMainWindowDrops";

class FileDropFilter : public QObject
{
    Q_OBJECT

public:
    explicit FileDropFilter(QObject *parent = nullptr);

    // Accept drops on `window` again; the receiver gets the file messages.
    void attach(QWidget *window, FilePreviewReceiver *receiver);
    void detach();
    // Accept drops again on the window and receiver of the last attach.
    void reattach() { attach(m_window, m_receiver); }
    bool isAttached() const { return m_registered; }
    // A drag of files is over the window.
    bool isDragActive() const { return m_dragActive; }

    // The first local file of a drag with a non-empty name, or an empty text.
    static QString firstDroppedFile(const QMimeData *data);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool dropAllowed() const;

    QWidget *m_window = nullptr;
    FilePreviewReceiver *m_receiver = nullptr;
    bool m_registered = true;
    bool m_dragActive = false;
};
