#pragma once

#include <QLabel>

// A label for a path: when the text is wider than the label it is shortened in the middle with an
// ellipsis, so both the start of the folder and the file name stay visible. text() stays whole.
class ElidedPathLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedPathLabel(QWidget *parent = nullptr);

    // The text as painted at the label's current width.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
