#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// Where the user guide installed with the program lives, and the addresses of its sections.
class UserGuide
{
public:
    // What the Help menu opens: the whole guide, the walkthrough ("Training Videos") and the
    // troubleshooting pages ("Help Desk").
    enum class Section { Contents, Walkthrough, Troubleshooting };

    // The guide's index.html for a program in programFolder: beside an installed program
    // (<prefix>/bin -> <prefix>/share/velmora/guide, so an unpacked package works too), in the
    // build folder (guide/), else in the data folders of XDG_DATA_DIRS. Empty when none exists.
    static QString indexFile(const QString &programFolder);
    // The folders indexFile() looks in, in order (for the message when none holds the guide).
    static QStringList candidateFolders(const QString &programFolder);
    // The section's address in the guide whose index.html is `indexFile`.
    static QUrl sectionUrl(const QString &indexFile, Section section);
    // Shown when the guide is not installed.
    static QString missingMessage(const QString &programFolder);
};
