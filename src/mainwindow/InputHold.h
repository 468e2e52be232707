#pragma once

#include <QObject>
#include <QPointer>

class QDialog;
class QWidget;

// For a dialog that must leave its owner window a drop target: Qt refuses every drag to a window
// blocked by a modal dialog, so the dialog runs without Qt's modality and this holds the owner's
// other input back, as the modality would, while it lives. A click on the owner brings the dialog
// to the front instead. It lives as the dialog's child unless deleted before.
class InputHold : public QObject
{
public:
    InputHold(QWidget *owner, QDialog *dialog);
    ~InputHold() override;
    InputHold(const InputHold &) = delete;
    InputHold &operator=(const InputHold &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_owner;
    QPointer<QDialog> m_dialog;
};
