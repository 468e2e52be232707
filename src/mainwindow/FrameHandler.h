#pragma once

#include <QList>
#include <QObject>
#include <QSize>

#include <memory>

class MainFrame;
class QPainter;
class QWidget;

// The main window's controls that the frame moves, sizes or swaps.
struct FrameControls
{
    QWidget *maximizeButton = nullptr;
    QWidget *restoreButton = nullptr;
    QWidget *createButton = nullptr;
    QWidget *saveAsButton = nullptr;
    QWidget *outputEdit = nullptr;
    QWidget *pictureBox = nullptr;
    QWidget *playButton = nullptr;
    QWidget *pauseButton = nullptr;
    // Any of the step markers: they share one height.
    QWidget *stepMarker = nullptr;
};

// What a title bar and a frame would do for the frameless main window, on the window's own
// events: the controls are laid out again as the window grows, Maximize and Restore swap with the
// window's state, and a double click near the top maximizes or restores. Owns the skin.
class FrameHandler : public QObject
{
    Q_OBJECT

public:
    FrameHandler(QWidget *window, const FrameControls &controls);
    ~FrameHandler() override;

    // The skinned controls keep their place to these corners and the center from where they
    // stand now.
    void anchor(const QList<QWidget *> &topRight, const QList<QWidget *> &center,
                const QList<QWidget *> &bottomRight);
    // From now on the frame follows the window; `initial` is the size the layout grows from.
    void start(QSize initial);
    void layOut();
    void paint(QPainter &painter) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    FrameControls m_controls;
    std::unique_ptr<MainFrame> m_frame;
    QSize m_initialSize;
    bool m_started = false;
};
