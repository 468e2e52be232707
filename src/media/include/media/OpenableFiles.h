#pragma once

#include <QString>

// True when the file has a picture extension and really loads as a picture.
bool isOpenablePicture(const QString &path);
// Why a file with a picture extension and a picture's content is refused (too large, cut short,
// damaged), as a sentence for the user; empty for a picture that opens and for anything else.
QString pictureRefusal(const QString &path);
// True when the file has an audio extension and opens as audio that decodes (probeAudioFile).
bool isOpenableAudio(const QString &path);
bool isOpenableFile(const QString &path);
