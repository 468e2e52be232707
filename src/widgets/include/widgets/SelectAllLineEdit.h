#pragma once

#include <QLineEdit>

// A single-line edit that selects its whole text on the first click after it lost the focus
// and tells its owner about every key release, so a preview can follow the typing.
class SelectAllLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit SelectAllLineEdit(QWidget *parent = nullptr);

signals:
    // A key was released in the edit (its text may have changed). Carries the "controlId".
    void keyReleased(int controlId);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    bool m_selectAllPending = true;
};
