#pragma once

#include <QString>

#include <functional>

class QWidget;

// Box types as the program uses them: buttons, icon and default button.
enum MessageBoxType : unsigned {
    MB_OK = 0x0,
    MB_YESNO = 0x4,
    MB_ICONHAND = 0x10,         // stop
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_DEFBUTTON2 = 0x100,
};

// Button codes returned by showMessage.
enum MessageBoxResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

inline const QString MessageCaption = QStringLiteral("Velmora");

// Shows a modal message box (owner may be null) and returns the code of the button pressed.
// 0x134 is the replace question: Yes/No, No default, question icon.
int showMessage(QWidget *owner, const QString &caption, unsigned boxType, const QString &text);

// Tests replace the box: the hook sees every message and returns the button to press.
using MessageHook = std::function<int(QWidget *owner, const QString &caption, unsigned boxType,
                                      const QString &text)>;
void setMessageHook(MessageHook hook);
