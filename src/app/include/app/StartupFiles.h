#pragma once

#include "media/FileClassification.h"

#include <QList>
#include <QString>

// The files named on the command line ("Open with Velmora" from a file manager, or a terminal):
// at most one picture for step 1 and one song for step 2, and the rest, which is left out.
struct StartupFiles
{
    // A file left out, as the user named it (or its absolute path), and why.
    struct NotOpened
    {
        QString path;
        QString reason;

        bool operator==(const NotOpened &other) const { return path == other.path && reason == other.reason; }
    };

    FileClassification picture;
    FileClassification audio;
    QList<NotOpened> notOpened;

    bool isEmpty() const { return picture.path.isEmpty() && audio.path.isEmpty() && notOpened.isEmpty(); }

    // Sorts the arguments (paths, relative to the working folder, or file: addresses of this
    // computer) by what classifyFile() makes of them; the first picture and the first song win.
    // A picture the program refuses is one of the files not opened, with the refusal.
    static StartupFiles fromArguments(const QStringList &arguments);
    // The message naming the files left out, one line each with its reason; empty when there
    // are none.
    QString notOpenedMessage() const;
};
