#pragma once

#include <QObject>
#include <QPointer>

class QDialog;
class QWidget;

// Runs a dialog that must leave its owner window a drop target: Qt refuses every drag to a
// window blocked by a modal dialog, so the dialog runs without Qt's modality and this holds the
// owner's other input back, as the modality would, while it lives. A click on the owner brings
// the dialog to the front instead.
class InputHold : public QObject
{
public:
    InputHold(QWidget *owner, QDialog *dialog);
    ~InputHold() override;
    InputHold(const InputHold &) = delete;
    InputHold &operator=(const InputHold &) = delete;

    // Shows `dialog` over `owner` and returns its result once it is done.
    static int exec(QDialog *dialog, QWidget *owner);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_owner;
    QPointer<QDialog> m_dialog;
};
