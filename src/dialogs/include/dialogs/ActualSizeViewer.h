#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>

class WindowMover;

// Top-left corner of a window of the given frame size: centered over its owner, then moved back
// into the work area where it would stick out (the left and top edges win when it is too big).
QPoint placeCenteredInWorkArea(const QRect &ownerFrame, const QSize &frameSize, const QRect &workArea);

// Shows one picture file at 1:1 in a window sized to it. The user drags it about by its body and
// ends it with Esc, Return or the close box.
class ActualSizeViewer : public QDialog
{
    Q_OBJECT

public:
    // Without a parent the active window is the owner the viewer is centered over.
    explicit ActualSizeViewer(const QString &picturePath, QWidget *parent = nullptr);

    // Shows "Unable to load the Picture for Viewing." and returns 0 without ever showing the
    // viewer when the picture cannot be loaded.
    int exec() override;

    // Loads the picture, sets the caption and sizes and places the window; false after the
    // message. exec() calls it; tests call it to look at the window without running it.
    bool initialize();

    bool isDragging() const;
    QSize pictureSize() const { return m_picture.size(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_picturePath;
    QImage m_picture;
    WindowMover *m_mover;
};
