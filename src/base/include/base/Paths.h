#pragma once

#include "base/TempFolderProblem.h"

#include <QString>

// The run's private temporary folder (mode 0700, removed at exit), made on the first call. When
// the system's temporary folder is unusable, `out` is empty and the problem says why.
TempFolderProblem openTempFolder(QString &out);
// The same without the reason: false when there is no temporary folder.
bool getTempFolder(QString &out);
// Removes the run's private temporary folder with everything in it (at exit, or on a signal).
void removeTempFolder();
// Removes the private temporary folders that runs of this user left in `systemTemp` when their
// process is gone (a crash, SIGKILL); a folder whose process still runs stays.
void removeStaleTempFolders(const QString &systemTemp);
// "<temp>/<prefix>YYYY-MM-DD_hh-mm-ss_mmm.bmp"; false with out empty when there is no temp folder.
bool makeTempFileName(const QString &prefix, QString &out);

bool isNonEmptyFile(const QString &path);
// Size of an existing regular file (a symlink counts as its target), else 0.
qint64 regularFileSize(const QString &path);
// True for an existing folder; one trailing "/" is ignored.
bool isDirectory(const QString &path);
// The file-system root "/" is this platform's only drive root.
bool isDriveRoot(const QString &text);
// True when the path is absolute ("/..."): tools only ever get absolute paths.
bool isAbsolutePath(const QString &path);
