#pragma once

#include "model/VideoBuild.h"

#include <QString>

class QWidget;

// Runs the build dialog modally (owner: the main window) and follows its outcome up:
// - Done: copies the output path to the clipboard and runs the completion dialog, whose
//   "Open with Video Player" starts playerPath;
// - Canceled: nothing more (the build has already removed what the encoder wrote);
// - PermissionDenied: tells the user the output file could not be created;
// - Failed: tells the user what went wrong (the build has already removed what the encoder wrote).
BuildOutcome buildPictune(QWidget *owner, const VideoBuildRequest &request, const QString &playerPath);
