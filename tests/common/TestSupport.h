#pragma once

#include "widgets/MessageBox.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

class QWidget;

// Shared helpers of the test executables.
namespace TestSupport {

inline QString convertPath() { return QStringLiteral(VELMORA_TEST_CONVERT); }
inline QString ffmpegPath() { return QStringLiteral(VELMORA_TEST_FFMPEG); }
inline QString ffprobePath() { return QStringLiteral(VELMORA_TEST_FFPROBE); }
inline QString ffplayPath() { return QStringLiteral(VELMORA_TEST_FFPLAY); }

// Runs a command to its end (tests only); returns its merged output, exit code in *exitCode.
QString runCommand(const QString &program, const QStringList &arguments, int *exitCode = nullptr,
                   int timeoutMs = 120000);

// Writes an executable script (a fake tool) and returns its path, or an empty text on failure.
QString writeScript(const QString &path, const QByteArray &text);

// A process that has ended (a zombie nobody has reaped yet counts) or is gone altogether.
bool processGone(qint64 pid);
// The JPEG with an EXIF orientation tag (1..8) put in front, as a camera writes it.
QByteArray jpegWithOrientation(const QByteArray &jpeg, int orientation);

// Points the configuration folder (XDG_CONFIG_HOME) at a fresh temporary folder, and the
// system-wide folders (XDG_CONFIG_DIRS) at two empty ones inside it, so the machine's own files
// never count; writes an INI with the real tool paths when wanted, and fills AppSettings as
// start-up would.
class ConfigSandbox
{
public:
    explicit ConfigSandbox(bool writeToolPaths = true);
    QString configHome() const { return m_dir.path(); }
    QString iniPath() const;
    void writeIni(const QByteArray &text) const;
    // The system-wide file of XDG_CONFIG_DIRS's folder `index` (0 or 1), and writing it.
    QString systemIniPath(int index) const;
    void writeSystemIni(int index, const QByteArray &text) const;

private:
    QTemporaryDir m_dir;
};

using RecordedMessage = MessageBox::Message;

// Replaces the message box while it lives: records each message, answers with `answer`.
class MessageRecorder
{
public:
    explicit MessageRecorder(MessageBox::Button answer = QMessageBox::Ok);
    ~MessageRecorder();
    QList<RecordedMessage> messages;
    MessageBox::Button answer;
    // When set, decides the answer to each message instead of `answer`.
    std::function<MessageBox::Button(const RecordedMessage &)> answerFor;
};

} // namespace TestSupport
