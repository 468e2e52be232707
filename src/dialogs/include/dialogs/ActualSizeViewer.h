#pragma once

#include <QDialog>
#include <QImage>
#include <QMargins>

class WindowMover;

// Shows one picture file at 1:1 in a window sized to it, centered over its owner; a picture too
// large for the screen's work area is scaled down to fit it, and the caption says so. The user
// drags it about by its body and ends it with Esc, Return or the close box.
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
    // The picture's own size, and the size it is shown at (smaller when scaled down).
    QSize pictureSize() const { return m_picture.size(); }
    QSize shownSize() const { return size(); }

    // The caption: the scale in percent (100: actual size).
    static QString titleFor(int percent);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Sizes the window to the picture within the work area and centers it over its owner, the
    // window manager's frame taken as `frame`.
    void fitAndPlace(const QMargins &frame);

    QString m_picturePath;
    QImage m_picture;
    QImage m_shown;
    WindowMover *m_mover;
    QMargins m_assumedFrame;
};
