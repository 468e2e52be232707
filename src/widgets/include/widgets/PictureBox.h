#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

// Where one paint of the picture box puts things: the strips of background color first, then
// the picture over them.
struct PictureBoxLayout
{
    bool fillClient = false;    // the whole client area in the background color first
    QRect bars[2];              // strips in the background color (empty when unused)
    QRect picture;              // the picture's target rectangle
};

// The letterbox and the other draw modes' arithmetic, integer halves as on screen.
PictureBoxLayout computePictureBoxLayout(int drawMode, const QSize &client, const QSize &picture);

// Shows one picture (a file or the built-in "Unknown File Type" placeholder) scaled into its
// client area; what the picture leaves uncovered is painted in the configured background color.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    enum DrawMode {
        ActualTopLeft = 0,
        ActualCentered = 1,
        Stretch = 2,
        FitLetterbox = 3,
    };

    explicit PictureBox(QWidget *parent = nullptr);

    // Replaces the shown picture. An empty path only drops the old one (no repaint); a file that
    // cannot be loaded leaves the box showing its background color. True when a picture is shown.
    bool loadFromFile(const QString &path);
    // Shows the placeholder artwork; isPlaceholder() is true afterwards even if it failed.
    bool loadPlaceholder();

    int drawMode() const { return m_drawMode; }
    void setDrawMode(int mode);
    bool isPlaceholder() const { return m_isPlaceholder; }
    bool hasPicture() const { return !m_picture.isNull(); }
    QSize pictureSize() const { return m_picture.size(); }

    // The placeholder artwork at its own size (860x482).
    static QImage placeholderImage();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
    int m_drawMode = ActualCentered;
    bool m_isPlaceholder = false;
};

