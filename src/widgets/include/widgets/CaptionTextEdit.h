#pragma once

#include <QPlainTextEdit>

#include <functional>

// The multi-line caption edit: shows its horizontal and vertical scroll bars only while the
// text needs them, and tells its owner about every key release.
class CaptionTextEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CaptionTextEdit(QWidget *parent = nullptr);

    struct BarNeeds
    {
        bool horizontal = false;
        bool vertical = false;
    };
    // Which bars `text` needs in a client area of width x height: horizontal once a line is
    // at least width - 6 wide, vertical once the lines' total height reaches the height.
    static BarNeeds needScrollBars(const QString &text,
                                   const std::function<int(const QString &)> &lineWidth,
                                   int lineHeight, int width, int height);

    // Shows or hides the bars for `text` (the owner calls it before putting a text in).
    void updateScrollBars(const QString &text);

    bool horizontalShown() const { return m_horizontalShown; }
    bool verticalShown() const { return m_verticalShown; }

signals:
    // A key was released in the edit. Carries the "controlId".
    void keyReleased(int controlId);

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool m_horizontalShown = false;
    bool m_verticalShown = false;
};
