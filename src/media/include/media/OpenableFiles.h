#pragma once

#include <QString>

// True when the file has a picture extension and really loads as a picture.
bool isOpenablePicture(const QString &path);
// True when the file has an audio extension and opens as audio that decodes (probeAudioFile).
bool isOpenableAudio(const QString &path);
bool isOpenableFile(const QString &path);
