// The settings folders as a system may have them: the first line is XDG_CONFIG_DIRS ("@" stands
// for a scratch folder), then, each after a form feed line, the user's file and the files of the
// scratch folders "a", "b" and "c"; a file whose text is "FIFO" is a named pipe, "DIR" a folder.
// Start-up reads them without waiting on a pipe, takes only regular files outside the user's
// own, and names, for each tool, a file it read.
#include "FuzzInput.h"

#include "base/AppSettings.h"
#include "base/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>

#include <sys/stat.h>

namespace {

void place(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    if (text == "FIFO") {
        ::mkfifo(QFile::encodeName(path).constData(), 0600);
    } else if (text == "DIR") {
        QDir().mkpath(path);
    } else {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QTemporaryDir scratch;
    if (!scratch.isValid())
        std::abort();
    const QByteArray input = fuzzBytes(data, size);
    const int lineEnd = input.indexOf('\n');
    const QByteArray dirs = lineEnd < 0 ? input : input.left(lineEnd);
    const QList<QByteArray> texts = lineEnd < 0 ? QList<QByteArray>() : input.mid(lineEnd + 1).split('\f');

    const QByteArray oldHome = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldDirs = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("home"))));
    qputenv("XDG_CONFIG_DIRS", QByteArray(dirs).replace('@', QFile::encodeName(scratch.path())));
    const QString file = QStringLiteral("/Velmora 1/Velmora1.ini");
    const QStringList places = {scratch.filePath(QStringLiteral("home")) + file, scratch.filePath(QStringLiteral("a")) + file,
                                scratch.filePath(QStringLiteral("b")) + file, scratch.filePath(QStringLiteral("c")) + file};
    for (int i = 0; i < texts.size() && i < places.size(); ++i)
        place(places.at(i), texts.at(i));

    const QString user = Settings::iniFilePath();
    const QStringList system = Settings::systemIniFilePaths();
    qputenv("XDG_CONFIG_HOME", oldHome);
    qputenv("XDG_CONFIG_DIRS", oldDirs);

    QSet<QString> seen;
    for (const QString &path : system) {
        if (!QDir::isAbsolutePath(path) || path == user || seen.contains(path) || !QFileInfo(path).isFile())
            std::abort();
        seen.insert(path);
    }

    AppSettings &settings = AppSettings::instance();
    settings.reset();
    settings.setFiles(user, system);
    settings.load();
    const QStringList files = QStringList{user} + system;
    const bool anyFile = std::any_of(files.cbegin(), files.cend(), [](const QString &path) { return QFileInfo(path).isFile(); });
    if (!settings.refusedFile().isEmpty()
        && (!files.contains(settings.refusedFile()) || QFileInfo(settings.refusedFile()).isFile()))
        std::abort();
    for (const Settings::Key<QString> *key : {&Settings::ImageTool, &Settings::Encoder, &Settings::Player}) {
        const QStringList sources = settings.sourcesOf(*key);
        if (sources.isEmpty())
            std::abort();
        // A message names a file that was read, or the user's when there was none to read.
        for (const QString &source : sources) {
            if (!files.contains(source) || (anyFile && !QFileInfo(source).isFile()))
                std::abort();
        }
    }
    settings.reset();
    return 0;
}
