#include "TestSupport.h"

#include "base/AppSettings.h"
#include "model/PicturePreparation.h"
#include "widgets/MessageBox.h"

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

bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

ConfigSandbox::ConfigSandbox(bool writeToolPaths)
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", (m_dir.path() + QStringLiteral("/system0:") + m_dir.path()
                                + QStringLiteral("/system1")).toLocal8Bit());
    AppSettings &settings = AppSettings::instance();
    settings.reset();
    settings.setFiles(iniPath());
    if (writeToolPaths) {
        writeIni(QStringLiteral("[Velmora 1]\nS1=%1\nS2=%2\nS3=%3\n")
                     .arg(convertPath(), ffmpegPath(), ffplayPath())
                     .toUtf8());
        settings.load();
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

QByteArray jpegWithOrientation(const QByteArray &jpeg, int orientation)
{
    // APP1 "Exif": a big-endian TIFF header and one IFD holding tag 0x0112 (SHORT, count 1).
    QByteArray exif("Exif\0\0MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\0\0\0\0\0\0\0", 32);
    exif[25] = char(orientation);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((exif.size() + 2) >> 8)).append(char((exif.size() + 2) & 0xFF)).append(exif);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

} // namespace TestSupport
