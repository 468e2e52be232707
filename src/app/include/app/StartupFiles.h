#pragma once

#include "media/FileClassification.h"

#include <QString>
#include <QStringList>

// The files named on the command line ("Open with Velmora" from a file manager, or a terminal):
// at most one picture for step 1 and one song for step 2, and the rest, which is left out.
struct StartupFiles
{
    FileClassification picture;
    FileClassification audio;
    QStringList notOpened;

    bool isEmpty() const { return picture.path.isEmpty() && audio.path.isEmpty() && notOpened.isEmpty(); }

    // Sorts the arguments (paths, relative to the working folder, or file: addresses) by what
    // classifyFile() makes of them; the first picture and the first song win. A picture the
    // program refuses is one of the files not opened.
    static StartupFiles fromArguments(const QStringList &arguments);
    // The message naming the files left out; empty when there are none.
    QString notOpenedMessage() const;
};
