// Prints the text on the X clipboard once there is some (up to 10 seconds): the package test
// reads a message box's text through it after pressing Ctrl+C in the box.
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QElapsedTimer clock;
    clock.start();
    QString text;
    // A helper process, not the program under test: waiting here blocks nobody.
    while ((text = QGuiApplication::clipboard()->text()).isEmpty() && clock.elapsed() < 10000)
        QThread::msleep(100);
    std::fputs(text.toUtf8().constData(), stdout);
    return text.isEmpty() ? 1 : 0;
}
