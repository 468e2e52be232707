#pragma once

#include "render/RowSettings.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <climits>

// What one run of velmora-render is to do, read from its command line.
struct RenderCommand
{
    enum class Mode { Help, Version, Single, Manifest };

    Mode mode = Mode::Single;
    // The settings every row starts from; for one video also its song, picture and id.
    RowSettings defaults;
    QString output;       // one video: the output file
    QString manifest;     // a manifest: its file
    QString outputDir;    // where the videos and their reports go
    int jobs = 1;
    bool force = false;
    // The rows taken, 1-based and inclusive.
    int firstRow = 1;
    int lastRow = INT_MAX;
    QString imageTool;    // empty: the settings file's, else convert on PATH
    QString encoder;      // empty: the settings file's, else ffmpeg on PATH

    // Reads the arguments (the program's name first). `defaults` holds the settings file's size and
    // background; `environment` gives --index-env its value. False with *why set on a usage error.
    static bool parse(const QStringList &arguments, const RowSettings &defaults,
                      const QProcessEnvironment &environment, int cores, RenderCommand *command, QString *why);
    // The text of --help.
    static QString helpText();
};
