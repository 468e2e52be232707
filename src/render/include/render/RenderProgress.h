#pragma once

#include <QString>

// The progress a run shows on standard error.
namespace RenderProgress {

// "[########------------]  8/20 rows  1 failed  about 1:05 left" for a terminal, redrawn in place;
// the estimate appears once a row is done.
QString bar(int done, int failed, int total, double elapsedSeconds, int width = 24);

// "h:mm:ss" or "m:ss".
QString clock(double seconds);

} // namespace RenderProgress
