#include "widgets/MessageBox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

#include <optional>

namespace {

// Qt copies a message box's text with Ctrl+C only on Windows; here too a user may want to paste
// the path a message names.
class CopyableMessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->matches(QKeySequence::Copy)) {
            QGuiApplication::clipboard()->setText(text());
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
};

MessageBox::Hook &hook()
{
    static MessageBox::Hook h;
    return h;
}

std::optional<MessageBox::Button> &nextAnswer()
{
    static std::optional<MessageBox::Button> answer;
    return answer;
}

MessageBox::Message okMessage(QWidget *owner, const QString &text, QMessageBox::Icon icon)
{
    MessageBox::Message message;
    message.owner = owner;
    message.caption = MessageBox::caption();
    message.text = text;
    message.icon = icon;
    return message;
}

} // namespace

void MessageBox::setHook(Hook h)
{
    hook() = std::move(h);
}

void MessageBox::setNextAnswer(Button button)
{
    nextAnswer() = button;
}

void MessageBox::information(QWidget *owner, const QString &text)
{
    show(okMessage(owner, text, QMessageBox::NoIcon));
}

void MessageBox::warning(QWidget *owner, const QString &text)
{
    show(okMessage(owner, text, QMessageBox::Warning));
}

void MessageBox::critical(QWidget *owner, const QString &text)
{
    show(okMessage(owner, text, QMessageBox::Critical));
}

MessageBox::Button MessageBox::question(QWidget *owner, const QString &text, Button defaultButton,
                                        const QString &caption, QMessageBox::Icon icon)
{
    Message message;
    message.owner = owner;
    message.caption = caption;
    message.text = text;
    message.icon = icon;
    message.buttons = QMessageBox::Yes | QMessageBox::No;
    message.defaultButton = defaultButton;
    return show(message);
}

MessageBox::Button MessageBox::show(const Message &message)
{
    if (const std::optional<Button> answer = nextAnswer()) {
        nextAnswer().reset();
        return *answer;
    }
    if (hook())
        return hook()(message);

    CopyableMessageBox box(message.owner);
    box.setWindowTitle(message.caption);
    box.setText(message.text);
    box.setIcon(message.icon);
    box.setStandardButtons(message.buttons);
    box.setDefaultButton(message.defaultButton);
    if (message.buttons.testFlag(QMessageBox::No))
        box.setEscapeButton(QMessageBox::No);
    return Button(box.exec());
}
