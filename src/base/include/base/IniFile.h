#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// Reads and writes keys of a sectioned INI file as other programs on this machine may have
// written it: section and key without regard to case, blanks around them ignored, surrounding
// quotes stripped, the first of duplicated keys wins. Writing touches only the value's bytes (or
// appends the key or section) and saves atomically, so comments, other sections and line ends
// survive.
class IniFile
{
public:
    using KeyValue = QPair<QString, QString>;

    static QString readString(const QString &path, const QString &section, const QString &key,
                              const QString &defaultValue);
    // False when the file cannot be read or written, is not a regular file, or a key or value
    // holds a line break.
    static bool writeString(const QString &path, const QString &section, const QString &key,
                            const QString &value);
    // Several keys of one section in one atomic save.
    static bool writeStrings(const QString &path, const QString &section,
                             const QList<KeyValue> &values);

    enum class Status {
        Read,
        Missing,
        NotRegularFile, // a folder, FIFO, device or socket: never opened for reading
        Unreadable,
    };

    // The file's bytes; empty when it is missing or cannot be read (*status says which).
    static QByteArray readAll(const QString &path, Status *status = nullptr);

    // The same rules on text in memory (the file's bytes as UTF-8). find() tells an absent key
    // (nullopt) from an empty value.
    static std::optional<QString> find(const QByteArray &text, const QString &section,
                                       const QString &key);
    static QByteArray writeToText(const QByteArray &text, const QString &section,
                                  const QString &key, const QString &value);
};
