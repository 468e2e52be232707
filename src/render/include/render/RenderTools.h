#pragma once

#include <QString>
#include <QStringList>

// The two tools a run drives, found and checked once before any row starts.
struct RenderTools
{
    QString imageTool;
    QString encoder;
    QString imageToolVersion;  // the first line of "-version"
    QString encoderVersion;

    // The given paths, else the settings files' (AppSettings, loaded), else convert and ffmpeg on
    // PATH; each must be the tool it stands for. Then the image tool's fonts are listed. False
    // with *why set when a tool is missing or is not the tool.
    bool find(const QString &imageToolOption, const QString &encoderOption, QString *why);
};
