#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every message the program shows goes through here: a modal box captioned "Velmora" (unless
// told otherwise) with the buttons, icon and default button of its kind. Tests replace the boxes
// with a hook that sees each message and answers it.
class MessageBox
{
public:
    using Button = QMessageBox::StandardButton;

    // One message as shown, or as the hook sees it.
    struct Message
    {
        QWidget *owner = nullptr;
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        Button defaultButton = QMessageBox::Ok;
    };
    using Hook = std::function<Button(const Message &)>;

    static QString caption() { return QStringLiteral("Velmora"); }

    // A notice with OK and no icon.
    static void information(QWidget *owner, const QString &text);
    // A problem the user can mend: OK and the warning icon.
    static void warning(QWidget *owner, const QString &text);
    // A failure that stops the program: OK and the stop icon.
    static void critical(QWidget *owner, const QString &text);
    // Yes or No; Escape answers No. Returns the button pressed.
    static Button question(QWidget *owner, const QString &text, Button defaultButton = QMessageBox::No,
                           const QString &caption = MessageBox::caption(),
                           QMessageBox::Icon icon = QMessageBox::Question);

    // While set, no box is shown: the hook answers every message.
    static void setHook(Hook hook);
    // The next message is answered with `button` without being shown (once).
    static void setNextAnswer(Button button);

private:
    static Button show(const Message &message);
};
