#pragma once

#include <QString>

class QWidget;

// What the Create command needs to build one video.
struct PictuneBuildRequest
{
    QString picturePath;      // the prepared picture
    QString audioPath;
    double audioDuration = 0; // seconds, as measured by the audio engine
    QString outputPath;
};

// Runs the build dialog modally (owner: the main window) and follows its result up:
// - BuildDone: copies the output path to the clipboard and runs the completion dialog;
// - BuildCanceled: deletes the output file;
// - BuildPermissionDenied: tells the user the output file could not be created;
// - BuildFailed: tells the user what went wrong (the dialog has already removed what the encoder
//   wrote).
// Returns the dialog's result code (BuildProgressDialog::Result).
int buildPictune(QWidget *owner, const PictuneBuildRequest &request);
