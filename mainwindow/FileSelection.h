#pragma once

#include <QString>

// True when the file has a picture extension and really loads as a picture.
bool IsOpenablePicture(const QString &path);
// True when the file has an audio extension and its length can be measured.
bool IsOpenableAudio(const QString &path);
bool IsOpenableFile(const QString &path);
