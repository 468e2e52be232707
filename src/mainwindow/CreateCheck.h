#pragma once

#include <QString>

// What Create finds before it builds, in the order it looks: a typed output path that names an
// existing video asks before replacing it, then the first thing missing refuses the build.
enum class CreateCheck {
    Ready,
    AskReplace,
    WrongExtension,
    PictureMissing,
    AudioMissing,
    FolderMissing,
};

// The facts Create looks at, gathered by the window.
struct CreateCheckInput
{
    QString outputPath;
    bool outputPathTyped = false;  // not chosen with Save As nor confirmed since
    bool outputExists = false;     // the output path names a non-empty file
    bool pictureExists = false;    // the picture to build from is a non-empty file
    bool audioExists = false;      // the song is a non-empty file
    double audioDuration = 0.0;    // seconds, as measured when the song was taken
    bool folderExists = false;     // the output path's folder
    bool pathAbsolute = false;
};

CreateCheck checkCreate(const CreateCheckInput &in);
// The message or question for a check about `outputPath`; empty for Ready.
QString createCheckText(CreateCheck check, const QString &outputPath);
// The refusals mended in the output path, which then gets the focus, selected.
bool createCheckSelectsPath(CreateCheck check);
