#include "base/IniFile.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Line
{
    int start;      // offset of the line's first byte
    int end;        // offset of its line break (or the text's end)
    int next;       // offset of the following line
};

QList<Line> splitLines(const QByteArray &text)
{
    QList<Line> lines;
    int pos = 0;
    // A UTF-8 byte order mark is not part of the first line.
    if (text.startsWith("\xEF\xBB\xBF"))
        pos = 3;
    while (pos < text.size()) {
        int end = text.indexOf('\n', pos);
        int next;
        if (end < 0) {
            end = text.size();
            next = end;
        } else {
            next = end + 1;
        }
        int contentEnd = end;
        if (contentEnd > pos && text.at(contentEnd - 1) == '\r')
            --contentEnd;
        lines.append({pos, contentEnd, next});
        pos = next;
    }
    return lines;
}

QString trimmed(const QByteArray &text, int from, int to)
{
    return QString::fromUtf8(text.mid(from, to - from)).trimmed();
}

// Section name of a "[name]" line, or a null string.
QString sectionName(const QByteArray &text, const Line &line)
{
    const QString content = trimmed(text, line.start, line.end);
    if (!content.startsWith(QLatin1Char('[')))
        return {};
    const int close = content.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {};
    return content.mid(1, close - 1).trimmed();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Finds the key's line inside the section: returns its index, and the index of the section header
// (or -1) and of the section's last non-blank line, for appending.
struct Location
{
    int header = -1;
    int keyLine = -1;
    int lastInSection = -1;
};

Location locate(const QByteArray &text, const QList<Line> &lines, const QString &section,
                const QString &key)
{
    Location loc;
    bool inSection = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(text, lines.at(i));
        if (!name.isNull()) {
            if (inSection)
                break;
            if (sameName(name, section.trimmed())) {
                inSection = true;
                loc.header = i;
                loc.lastInSection = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        const QByteArray raw = text.mid(lines.at(i).start, lines.at(i).end - lines.at(i).start);
        if (!raw.trimmed().isEmpty())
            loc.lastInSection = i;
        const int eq = raw.indexOf('=');
        if (eq < 0 || raw.trimmed().startsWith(';'))
            continue;
        if (loc.keyLine < 0 && sameName(QString::fromUtf8(raw.left(eq)).trimmed(), key.trimmed()))
            loc.keyLine = i;
    }
    return loc;
}

QString unquote(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2
        && ((value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            || (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))))
        value = value.mid(1, value.size() - 2);
    return value;
}

QByteArray lineBreakOf(const QByteArray &text)
{
    return text.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
}

bool hasLineBreak(const QString &s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// Opening a FIFO for reading would wait for a writer forever, and a device may never end: only
// a regular file is read, checked on the descriptor opened without blocking.
QByteArray readFile(const QString &path, IniFile::Status *status)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *status = errno == ENOENT || errno == ENOTDIR || path.isEmpty() ? IniFile::Status::Missing
                                                                         : IniFile::Status::Unreadable;
        return {};
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        *status = IniFile::Status::NotRegularFile;
        return {};
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *status = IniFile::Status::Unreadable;
        return {};
    }
    *status = IniFile::Status::Read;
    return file.readAll();
}

} // namespace

std::optional<QString> IniFile::find(const QByteArray &text, const QString &section,
                                    const QString &key)
{
    const QList<Line> lines = splitLines(text);
    const Location loc = locate(text, lines, section, key);
    if (loc.keyLine < 0)
        return std::nullopt;
    const Line &line = lines.at(loc.keyLine);
    const QByteArray raw = text.mid(line.start, line.end - line.start);
    return unquote(QString::fromUtf8(raw.mid(raw.indexOf('=') + 1)));
}

QByteArray IniFile::writeToText(const QByteArray &text, const QString &section,
                                const QString &key, const QString &value)
{
    const QList<Line> lines = splitLines(text);
    const Location loc = locate(text, lines, section, key);
    const QByteArray newline = lineBreakOf(text);
    const QByteArray entry = key.trimmed().toUtf8() + '=' + value.toUtf8();

    QByteArray result = text;
    if (loc.keyLine >= 0) {
        // Replace only the value: the key as written and the line break stay.
        const Line &line = lines.at(loc.keyLine);
        const int eq = text.indexOf('=', line.start);
        result.replace(eq + 1, line.end - eq - 1, value.toUtf8());
    } else if (loc.header >= 0) {
        const Line &last = lines.at(loc.lastInSection);
        // When the section's last line has no line break (at most a stray CR, which ends no
        // line), the entry needs one before it.
        const bool lineEnded = last.next > 0 && text.at(last.next - 1) == '\n';
        result.insert(last.next, lineEnded ? entry + newline : newline + entry);
    } else {
        if (!result.isEmpty() && !result.endsWith('\n'))
            result += newline;
        result += '[' + section.toUtf8() + ']' + newline + entry + newline;
    }
    return result;
}

QString IniFile::readString(const QString &path, const QString &section, const QString &key,
                            const QString &defaultValue)
{
    return find(readAll(path), section, key).value_or(defaultValue);
}

QByteArray IniFile::readAll(const QString &path, Status *status)
{
    Status ignored;
    return readFile(path, status ? status : &ignored);
}

bool IniFile::writeString(const QString &path, const QString &section, const QString &key,
                          const QString &value)
{
    return writeStrings(path, section, {{key, value}});
}

bool IniFile::writeStrings(const QString &path, const QString &section,
                           const QList<KeyValue> &values)
{
    if (path.isEmpty() || hasLineBreak(section))
        return false;
    for (const KeyValue &kv : values) {
        if (hasLineBreak(kv.first) || hasLineBreak(kv.second) || kv.first.contains(QLatin1Char('='))
            || kv.first.trimmed().isEmpty())
            return false;
    }
    Status status;
    QByteArray text = readFile(path, &status);
    // Never replace a file that could not be read, nor a FIFO or a device with a file.
    if (status == Status::NotRegularFile || (status == Status::Unreadable && QFile(path).size() > 0))
        return false;
    const bool exists = status == Status::Read || status == Status::Unreadable;
    for (const KeyValue &kv : values)
        text = writeToText(text, section, kv.first, kv.second);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (exists)
        file.setPermissions(QFile(path).permissions());
    // QSaveFile buffers writes and Qt 6.4's commit() does not notice a buffered write that fails
    // (a full disk): it would replace the file with an empty one and report success.
    if (file.write(text) != text.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
