#pragma once

#include <QString>

// The decoded length of an audio file in seconds. False (duration unchanged) for a path of 4 bytes
// or fewer, a file that cannot be opened, one without an audio stream, or one where nothing
// decodes. Needs no output device, never touches what a preview plays and never shows a message.
bool measureAudioFile(const QString &path, double &duration);

// "h:mm:ss.mmm" with unpadded, unlimited hours: 83.5 gives "0:01:23.500".
QString formatDuration(double seconds);
