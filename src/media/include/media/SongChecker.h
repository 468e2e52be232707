#pragma once

#include "media/FileClassification.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThreadPool;

// Checks a song's content on a worker thread (checkSongFile) and delivers the answer by signal on
// the thread it lives in, so the window goes on serving while a huge comment header is read. A new
// check() or cancel() drops the one running: its answer is never delivered. The destructor
// cancels and waits for the worker, which stops within one read.
class SongChecker : public QObject
{
    Q_OBJECT

public:
    explicit SongChecker(QObject *parent = nullptr);
    ~SongChecker() override;

    void check(const QString &path);
    void cancel();
    bool isChecking() const { return m_job != nullptr; }
    // The song being checked; empty when none is.
    QString path() const;

signals:
    // A Song, or Nothing when it is no audio the program plays; checked either way.
    void checked(const FileClassification &file);

private:
    struct Job;
    void finish(const std::shared_ptr<Job> &job, const FileClassification &file);

    std::shared_ptr<Job> m_job;
    QThreadPool *m_pool;
};
