#pragma once

#include <QString>

// Start-up check of the three tool paths read from the settings file: each must name the tool
// it stands for.
class ToolCheck
{
public:
    enum class Tool {
        ImageTool,
        Encoder,
        Player,
    };

    enum class Result {
        Ok,
        CantInitialize, // never set: the path starts with "x"
        CantFind,       // not an existing, non-empty regular file
        Invalid,        // not executable, not absolute, or not the expected tool
    };

    // The identity check's bound: a tool that does not answer in time is not the tool.
    static constexpr int IdentityTimeoutMs = 10000;

    static Result check(Tool tool, const QString &path);
    // The message for a failed check, naming the settings file at iniPath (or several, one a line).
    static QString message(Result result, Tool tool, const QString &iniPath);
};
