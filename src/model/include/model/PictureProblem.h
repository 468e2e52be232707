#pragma once

#include <QString>

// Why a picture could not be made, as a value: the window decides what the user reads.
struct PictureProblem
{
    enum class Kind {
        None,
        Refused,    // the program refused the source before the image tool saw it
        TimedOut,   // the image tool was stopped after the time-out
        Failed,     // the image tool failed, or the file could not be written
        Canceled,   // the user stopped it
    };

    Kind kind = Kind::None;
    // Refused: the source picture; otherwise the file that could not be written.
    QString path;
    // Refused: the reason, a sentence; TimedOut: the image tool's path.
    QString detail;
    int timeoutMs = 0;

    bool isNone() const { return kind == Kind::None; }
};

// What the user reads about a picture that could not be prepared; empty when there is nothing to
// say (none, or cancelled by the user).
QString pictureProblemMessage(const PictureProblem &problem);
// The same for a blank canvas at start-up: the program cannot go on.
QString blankCanvasProblemMessage(const PictureProblem &problem);
