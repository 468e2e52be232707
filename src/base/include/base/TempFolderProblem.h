#pragma once

#include <QString>

// Why the run's private temporary folder could not be made; the program cannot go on without it.
struct TempFolderProblem
{
    enum class Kind {
        None,
        // Neither the system nor TMPDIR names a temporary folder.
        Unknown,
        // The folder named does not exist.
        Missing,
        // The private folder could not be made in it.
        NotWritable,
    };

    Kind kind = Kind::None;
    // The system's temporary folder (empty for Unknown).
    QString systemFolder;

    bool isNone() const { return kind == Kind::None; }
};
