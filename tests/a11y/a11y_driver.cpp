// Shows the main window and then each window it opens, one at a time, the way a user reaches
// them, so that check_a11y.py can read the accessibility tree of each. Protocol on stdout and
// stdin, one line each:
//   driver -> checker  "READY <window>"  the window is shown and stays up
//                      "MISSING <window>" the command ended without ever showing it
//                      "DONE"            every window was shown
//   checker -> driver  "NEXT"            close the window shown last and go on
// Usage: velmora_a11y_driver <folder for media and the fake encoder>
#include "PictureWaits.h"
#include "TestSupport.h"

#include "base/AppSettings.h"
#include "dialogs/BuildProgressDialog.h"
#include "mainwindow/MainWindow.h"
#include "tools/DesktopLauncher.h"
#include "widgets/DialogTemplate.h"
#include "widgets/MessageBox.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <unistd.h>

using namespace TestSupport;

namespace {

// Nothing the windows offer may open a browser or a player on the test machine.
class QuietLauncher : public DesktopLauncher
{
public:
    void openUrl(const QUrl &, std::function<void(bool)> done) override
    {
        if (done)
            done(true);
    }
    bool startDetached(const QString &, const QStringList &) override { return true; }
    void showItems(const QStringList &, std::function<void(bool)> done) override { done(true); }
};

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

struct Step
{
    QString window;        // the checker's name for it
    const char *className; // the class of the window that must appear
    std::function<void()> open; // returns once the window has closed (modal) or at once
    std::function<void(QWidget *)> close;
};

class Driver : public QObject
{
public:
    explicit Driver(QList<Step> steps)
        : m_steps(std::move(steps))
        , m_stdin(STDIN_FILENO, QSocketNotifier::Read)
    {
        qApp->installEventFilter(this);
        connect(&m_stdin, &QSocketNotifier::activated, this, &Driver::readCommand);
    }

    void start() { QTimer::singleShot(0, this, [this] { runStep(0); }); }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Show && m_current >= 0 && !m_seen) {
            auto *widget = qobject_cast<QWidget *>(object);
            if (widget && widget->isWindow() && widget->inherits(m_steps[m_current].className)) {
                m_shown = widget;
                m_seen = true;
                say(QStringLiteral("READY ") + m_steps[m_current].window);
            }
        }
        return QObject::eventFilter(object, event);
    }

private:
    void runStep(int index)
    {
        if (index >= m_steps.size()) {
            m_finished = true;
            say(QStringLiteral("DONE"));
            return;
        }
        m_current = index;
        m_shown = nullptr;
        m_seen = false;
        m_released = false;
        m_steps[index].open();
        if (!m_steps[index].close)
            return; // not modal: NEXT moves on
        if (!m_seen) {
            say(QStringLiteral("MISSING ") + m_steps[index].window);
            QTimer::singleShot(0, this, [this, index] { runStep(index + 1); });
        } else if (m_released) {
            QTimer::singleShot(0, this, [this, index] { runStep(index + 1); });
        }
        // Otherwise the window closed by itself while the checker was reading it: its NEXT
        // still belongs to this step.
    }

    void readCommand()
    {
        char buffer[256];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            m_stdin.setEnabled(false);
            // The checker has gone: end normally after the last window, at once otherwise, so
            // that nothing stays up waiting for it.
            if (m_finished)
                qApp->quit();
            else
                std::_Exit(3);
            return;
        }
        m_input.append(buffer, int(count));
        int end;
        while ((end = m_input.indexOf('\n')) >= 0) {
            const QByteArray line = m_input.left(end).trimmed();
            m_input.remove(0, end + 1);
            if (line == "NEXT")
                next();
        }
    }

    void next()
    {
        if (m_current < 0 || !m_seen || m_released)
            return;
        const Step &step = m_steps[m_current];
        m_released = true;
        if (step.close && m_shown)
            step.close(m_shown);
        else
            QTimer::singleShot(0, this, [this] { runStep(m_current + 1); });
    }

    QList<Step> m_steps;
    QSocketNotifier m_stdin;
    QByteArray m_input;
    int m_current = -1;
    QPointer<QWidget> m_shown;
    bool m_seen = false;     // the step's window has been shown
    bool m_released = false; // the checker is done with it
    bool m_finished = false;
};

bool makeMedia(const QString &folder, QString *picture, QString *song, QString *fakeEncoder)
{
    *picture = folder + QStringLiteral("/picture.png");
    *song = folder + QStringLiteral("/song.wav");
    *fakeEncoder = folder + QStringLiteral("/slow-encoder");
    int rc = -1;
    runCommand(convertPath(), {"-size", "640x480", "gradient:navy-orange", *picture}, &rc);
    if (rc != 0)
        return false;
    runCommand(ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=1", *song}, &rc);
    if (rc != 0)
        return false;
    // An encoder that reports a little progress and then works on until it is canceled, so the
    // build window stays up while it is read.
    return !TestSupport::writeScript(
                *fakeEncoder,
                "#!/bin/sh\n"
                "printf 'frame=    5 fps=0.0 q=0.0 size=       1kB time=00:00:00.20 bitrate=N/A speed=N/A\\r'\n"
                "exec sleep 120\n")
                .isEmpty();
}

void reject(QWidget *window)
{
    if (auto *dialog = qobject_cast<QDialog *>(window))
        dialog->reject();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <work folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QString picture, song, fakeEncoder;
    if (!makeMedia(folder, &picture, &song, &fakeEncoder)) {
        std::fprintf(stderr, "could not make the test media in %s\n", argv[1]);
        return 2;
    }

    ConfigSandbox sandbox;
    sandbox.writeIni(QStringLiteral("[Velmora 1]\nS1=%1\nS2=%2\nS3=%3\nAutoPlayOnOpen=0\nDestinationFolderPath=%4\n"
                                    "PictureFilePath=%4\nAudioFilePath=%4\n")
                         .arg(convertPath(), ffmpegPath(), ffplayPath(), folder)
                         .toUtf8());
    AppSettings::instance().set(Settings::AutoPlayOnOpen, false);
    QuietLauncher launcher;
    DesktopLauncher::setInstance(&launcher);
    // A message box would stand in for the window the checker waits for: report it instead.
    MessageRecorder messages;
    messages.answerFor = [](const RecordedMessage &message) {
        std::fprintf(stderr, "message box: %s\n", qPrintable(message.text));
        return QMessageBox::Ok;
    };

    MainWindow window;
    if (!window.initialize())
        return 2;

    const auto command = [&window](void (MainWindow::*run)()) { return [&window, run] { (window.*run)(); }; };
    const auto build = [&window, &fakeEncoder](bool slow) {
        return [&window, &fakeEncoder, slow] {
            AppSettings &settings = AppSettings::instance();
            const QString encoder = settings.encoderPath();
            if (slow)
                settings.set(Settings::Encoder, fakeEncoder);
            window.createVideo();
            settings.set(Settings::Encoder, encoder);
        };
    };
    const QList<Step> steps = {
        {QStringLiteral("main"), "MainWindow", [&window] { window.show(); }, {}},
        {QStringLiteral("open-audio"), "OpenFileDialog", command(&MainWindow::browseAudio), reject},
        {QStringLiteral("options"), "OptionsDialog", command(&MainWindow::openOptions), reject},
        {QStringLiteral("text"), "CaptionDialog",
         [&] {
             window.openFile(picture);
             waitForPictureStep(&window);
             window.openFile(song);
             runCaptionDialog(&window);
         },
         reject},
        {QStringLiteral("save-as"), "SaveAsDialog", command(&MainWindow::chooseOutputPath), reject},
        {QStringLiteral("actual-size"), "ActualSizeViewer", [&window] { window.menus()->action(MainMenus::Command::ViewActualSize)->trigger(); }, reject},
        {QStringLiteral("build"), "BuildProgressDialog", build(true),
         [](QWidget *dialog) {
             if (auto *cancel = dialogControlAs<QAbstractButton>(dialog, BuildProgressDialog::CancelButton))
                 cancel->click();
         }},
        {QStringLiteral("complete"), "CompletionDialog", build(false), reject},
    };
    Driver driver(steps);
    driver.start();
    return app.exec() == 0 ? 0 : 1;
}
