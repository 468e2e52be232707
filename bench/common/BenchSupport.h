#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

// What the benchmarks share: running a tool quietly to its end, making the test picture, the
// median of a list, and the process's own processor time and memory.
namespace BenchSupport {

// Runs a tool to its end with no input and its output thrown away; true when it exited with 0.
bool run(const QString &program, const QStringList &arguments);

// A fractal picture of that size without an alpha channel, as the picture step prepares one.
bool makePicture(const QString &convert, QSize size, const QString &path);

double median(QList<double> values);

// User and system processor seconds of this process (RUSAGE_SELF) or of its ended children
// (RUSAGE_CHILDREN).
double cpuSeconds(int who = RUSAGE_SELF);

// The peak resident memory of this process, in kB.
long peakKb();

// A kB figure of /proc/self/status by its key, e.g. "VmRSS:" or "VmHWM:"; -1 when unreadable.
long statusKb(const char *key);

} // namespace BenchSupport
