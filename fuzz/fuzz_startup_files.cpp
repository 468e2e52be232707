// The command line as a file manager or a user may write it: paths, relative names and file:
// addresses, up to eight arguments a line each, "@" standing for a folder of sample files (a
// picture, a song, a text, an empty file, a picture cut short, a folder and a FIFO), which is the
// working folder too. Every file taken is a file of its kind on this computer, every file left
// out says why, and an address of another computer is never taken.
#include "FuzzInput.h"

#include "app/StartupFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>

#include <sys/stat.h>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
}

// A second of silence as 8 kHz 16-bit mono PCM.
QByteArray silentWave()
{
    const quint32 samples = 8000;
    QByteArray wave;
    const auto u32 = [&wave](quint32 v) { for (int i = 0; i < 4; ++i) wave += char((v >> (8 * i)) & 0xFF); };
    const auto u16 = [&wave](quint16 v) { wave += char(v & 0xFF); wave += char(v >> 8); };
    wave += "RIFF";
    u32(36 + samples * 2);
    wave += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    wave += "data";
    u32(samples * 2);
    wave += QByteArray(int(samples * 2), '\0');
    return wave;
}

const QString &sampleFolder()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        if (!dir.isValid())
            return false;
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        if (!picture.save(dir.filePath(QStringLiteral("pic.png"))) || !picture.save(dir.filePath(QStringLiteral("pic.jpg"))))
            return false;
        QFile jpeg(dir.filePath(QStringLiteral("pic.jpg")));
        if (!jpeg.open(QIODevice::ReadOnly))
            return false;
        writeBytes(dir.filePath(QStringLiteral("cut.jpg")), jpeg.readAll().chopped(40));
        writeBytes(dir.filePath(QStringLiteral("song.wav")), silentWave());
        writeBytes(dir.filePath(QStringLiteral("notes.txt")), "lyrics\n");
        writeBytes(dir.filePath(QStringLiteral("empty.mp3")), {});
        QDir(dir.path()).mkdir(QStringLiteral("folder.png"));
        return ::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe.jpg"))).constData(), 0600) == 0;
    }();
    if (!made)
        std::abort();
    static const QString path = dir.path();
    return path;
}

bool isTakenFile(const FileClassification &file, FileClassification::Kind kind)
{
    if (file.path.isEmpty())
        return true;
    const QFileInfo info(file.path);
    return file.kind == kind && QDir::isAbsolutePath(file.path) && QDir::cleanPath(file.path) == file.path
        && info.isFile() && info.size() > 0;
}

// An address of another computer, as an argument that names no file by itself.
QString foreignHost(const QString &argument)
{
    if (QFileInfo::exists(argument))
        return {};
    const QUrl url(argument);
    if (!url.isValid() || url.scheme() != QLatin1String("file") || url.host().isEmpty()
        || url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return {};
    return url.host();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Qt's image plugins are found through the application.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString folder = sampleFolder();
    QStringList arguments = QString::fromUtf8(fuzzBytes(data, size)).split(QLatin1Char('\n'));
    arguments = arguments.mid(0, 8);
    arguments.replaceInStrings(QStringLiteral("@"), folder);

    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(folder);
    const StartupFiles files = StartupFiles::fromArguments(arguments);
    QStringList hosts;
    for (const QString &argument : std::as_const(arguments))
        hosts << foreignHost(argument);
    QDir::setCurrent(oldCurrent);

    if (!isTakenFile(files.picture, FileClassification::Kind::Picture)
        || !isTakenFile(files.audio, FileClassification::Kind::Song))
        std::abort();
    QSet<QString> named;
    for (const StartupFiles::NotOpened &file : files.notOpened) {
        if (file.path.isEmpty() || file.reason.isEmpty() || named.contains(file.path)
            || file.path == files.picture.path || file.path == files.audio.path)
            std::abort();
        named.insert(file.path);
    }
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const QString &host = hosts.at(i);
        if (host.isEmpty())
            continue;
        const auto left = std::find_if(files.notOpened.cbegin(), files.notOpened.cend(),
                                       [&argument](const StartupFiles::NotOpened &file) { return file.path == argument; });
        if (left == files.notOpened.cend() || !left->reason.contains(host))
            std::abort();
    }
    const QString message = files.notOpenedMessage();
    if (message.isEmpty() != files.notOpened.isEmpty())
        std::abort();
    for (const StartupFiles::NotOpened &file : files.notOpened.mid(0, 10)) {
        if (!message.contains(file.path) || !message.contains(file.reason))
            std::abort();
    }
    return 0;
}
