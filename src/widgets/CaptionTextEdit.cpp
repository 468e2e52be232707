#include "widgets/CaptionTextEdit.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QScrollBar>

CaptionTextEdit::CaptionTextEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Every change counts, a paste with the mouse included.
    connect(this, &QPlainTextEdit::textChanged, this,
            [this] { updateScrollBars(toPlainText()); });
}

CaptionTextEdit::BarNeeds CaptionTextEdit::needScrollBars(
    const QString &text, const std::function<int(const QString &)> &lineWidth, int lineHeight,
    int width, int height)
{
    BarNeeds needs;
    const QStringList lines = text.split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString &line : lines) {
        widest = std::max(widest, lineWidth(line));
        if (widest >= width - 6) {
            needs.horizontal = true;
            break;
        }
    }
    // A trailing line break starts a line of its own, as in the edit.
    const int totalHeight = lineHeight * static_cast<int>(lines.size());
    needs.vertical = totalHeight >= height;
    return needs;
}

void CaptionTextEdit::updateScrollBars(const QString &text)
{
    const QFontMetrics metrics(font());
    const QSize client = viewport()->size();
    const BarNeeds needs = needScrollBars(
        text, [&metrics](const QString &line) { return metrics.horizontalAdvance(line); },
        metrics.height(), client.width(), client.height());
    if (needs.horizontal != m_horizontalShown) {
        m_horizontalShown = needs.horizontal;
        setHorizontalScrollBarPolicy(needs.horizontal ? Qt::ScrollBarAlwaysOn
                                                      : Qt::ScrollBarAlwaysOff);
    }
    if (needs.vertical != m_verticalShown) {
        m_verticalShown = needs.vertical;
        setVerticalScrollBarPolicy(needs.vertical ? Qt::ScrollBarAlwaysOn
                                                  : Qt::ScrollBarAlwaysOff);
    }
}

void CaptionTextEdit::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat())
        emit keyReleased(property("controlId").toInt());
    QPlainTextEdit::keyReleaseEvent(event);
}

void CaptionTextEdit::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    updateScrollBars(toPlainText());
}
