#include "base/MessageBox.h"

#include <QMessageBox>
#include <QPointer>

namespace {

MessageHook &hook()
{
    static MessageHook h;
    return h;
}

} // namespace

void setMessageHook(MessageHook h)
{
    hook() = std::move(h);
}

int showMessage(QWidget *owner, const QString &caption, unsigned boxType, const QString &text)
{
    if (hook())
        return hook()(owner, caption, boxType, text);

    const bool yesNo = (boxType & 0xF) == MB_YESNO;
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (boxType & 0xF0) {
    case MB_ICONHAND:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    // The replace question (0x134) carries the question icon its flags name.
    if (boxType == 0x134)
        box.setIcon(QMessageBox::Question);
    if (yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((boxType & MB_DEFBUTTON2) ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (yesNo)
        return pressed == QMessageBox::Yes ? IDYES : IDNO;
    return IDOK;
}
