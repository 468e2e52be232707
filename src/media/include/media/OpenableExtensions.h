#pragma once

#include <QString>
#include <QStringList>

// What the program opens, by extension; the order is the order of the dialog filters.
enum class FileKind { None = 0, Picture = 1, Audio = 2 };

struct OpenableExtension
{
    FileKind kind;
    const char *extension;
};

class OpenableExtensions
{
public:
    static const QList<OpenableExtension> &all();
    static QStringList of(FileKind kind);
    // The kind an extension (lower case, without the dot) belongs to.
    static FileKind kindOf(const QString &extension);
};

// The text after the last "." of the whole path, in lower case; empty without a ".".
QString pathExtension(const QString &path);
// The text before the last "/" ("/" for a file right under the root; empty when there is none).
QString pathFolder(const QString &path);
// The text after the last "/" without its last "." and what follows; the whole path without "/".
QString pathBareName(const QString &path);

// The open-file dialog's filters in Qt's form ("Image Files (jpg, ...) (*.jpg *.jpeg ...)"):
// the chosen kind first, then the other, then all openable files.
QStringList buildOpenFilter(FileKind kind);
