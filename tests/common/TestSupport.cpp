#include "TestSupport.h"

#include "base/AppSettings.h"
#include "base/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace TestSupport {

QString runCommand(const QString &program, const QStringList &arguments, int *exitCode, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAll());
}

QString writeScript(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(text);
    file.close();
    // Readable and runnable by others too: some tests run tools as another user.
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                        | QFile::ExeOther);
    return path;
}

ConfigSandbox::ConfigSandbox(bool writeToolPaths)
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", (m_dir.path() + QStringLiteral("/system0:") + m_dir.path()
                                + QStringLiteral("/system1")).toLocal8Bit());
    AppSettings &settings = AppSettings::instance();
    settings.reset();
    settings.iniPath = iniPath();
    if (writeToolPaths) {
        writeIni(QStringLiteral("[Velmora 1]\nS1=%1\nS2=%2\nS3=%3\n")
                     .arg(convertPath(), ffmpegPath(), ffplayPath())
                     .toUtf8());
        settings.imageToolPath = convertPath();
        settings.encoderPath = ffmpegPath();
        settings.playerPath = ffplayPath();
    }
}

QString ConfigSandbox::iniPath() const
{
    return m_dir.path() + QStringLiteral("/Velmora 1/Velmora1.ini");
}

void ConfigSandbox::writeIni(const QByteArray &text) const
{
    QDir().mkpath(m_dir.path() + QStringLiteral("/Velmora 1"));
    QFile file(iniPath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

QString ConfigSandbox::systemIniPath(int index) const
{
    return m_dir.path() + QStringLiteral("/system%1/Velmora 1/Velmora1.ini").arg(index);
}

void ConfigSandbox::writeSystemIni(int index, const QByteArray &text) const
{
    QDir().mkpath(QFileInfo(systemIniPath(index)).path());
    QFile file(systemIniPath(index));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

MessageRecorder::MessageRecorder(MessageBox::Button answerWith)
    : answer(answerWith)
{
    MessageBox::setHook([this](const MessageBox::Message &message) {
        messages.append(message);
        return answerFor ? answerFor(messages.last()) : answer;
    });
}

MessageRecorder::~MessageRecorder()
{
    MessageBox::setHook({});
}

} // namespace TestSupport
