#pragma once

#include <QString>
#include <QStringList>

// Helpers the build tests share: made media, what a video holds, and the encoder's process.
namespace BuildTestSupport {

// Runs a command that makes test media; empty when it succeeded, else what it printed.
QString make(const QString &program, const QStringList &arguments);

// The media the job tests build from, made in `folder`: a prepared 426x240 picture, a 3 s tone
// and 20 minutes of silence (a build that runs long enough to be stopped).
struct JobMedia
{
    QString picture;
    QString tone;
    QString longSong;
};
// Empty when all three were made, else what the tool that failed printed.
QString makeJobMedia(const QString &folder, JobMedia &media);

// A process that has exited (a zombie waiting to be reaped counts) or is gone altogether.
bool processGone(qint64 pid);

struct Probe
{
    QString videoCodec;
    QString audioCodec;
    QString frameRate;
    int width = 0;
    int height = 0;
    double duration = 0;
};

Probe probe(const QString &path);

// The real encoder, held to folder permissions: as root it runs through a script at scriptPath
// without the capabilities that let root write anywhere. Empty where that cannot be arranged.
QString encoderHeldToPermissions(const QString &scriptPath);

} // namespace BuildTestSupport
