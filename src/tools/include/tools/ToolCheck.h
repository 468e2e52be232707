#pragma once

#include <QString>

// Start-up check of one tool path read from the INI file.
enum class ToolCheck {
    Ok,
    CantInitialize, // value missing (starts with "x")
    CantFind,       // not an existing, non-empty regular file
    Invalid,        // not executable, or not the expected tool
};

struct ToolIdentity
{
    QString key;        // "S1"
    QString name;       // "s1", as the messages name it
    QString banner;     // what its -version output must hold
    bool bannerAtStart; // the banner must open the output
};

const ToolIdentity &imageToolIdentity();
const ToolIdentity &encoderIdentity();
const ToolIdentity &playerIdentity();

// The identity check's bound: a tool that does not answer in time is not the tool.
inline constexpr int ToolIdentityTimeoutMs = 10000;

ToolCheck checkToolPath(const QString &value, const ToolIdentity &identity);
// The message for a failed check; %1 of the texts is the INI file's path.
QString toolCheckMessage(ToolCheck check, const ToolIdentity &identity, const QString &iniPath);
