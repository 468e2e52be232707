#pragma once

#include <QString>
#include <QStringList>

// The files named on the command line ("Open with Velmora" from a file manager, or a terminal):
// at most one picture for step 1 and one song for step 2, and the rest, which is left out.
struct StartupFiles
{
    QString picture;
    QString audio;
    QStringList notOpened;

    bool isEmpty() const { return picture.isEmpty() && audio.isEmpty() && notOpened.isEmpty(); }

    // Sorts the arguments (paths, relative to the working folder, or file: addresses) by what
    // the open tests make of them; the first picture and the first song win.
    static StartupFiles fromArguments(const QStringList &arguments);
    // The message naming the files left out; empty when there are none.
    QString notOpenedMessage() const;
};
