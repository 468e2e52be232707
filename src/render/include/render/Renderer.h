#pragma once

#include "render/Manifest.h"
#include "render/RenderTools.h"
#include "render/RowJob.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include <cstdio>

class SharedPictures;

// Runs the rows, `jobs` at a time, and tells: one JSON object a row on standard output, the
// progress on standard error. finished() brings the exit status.
class Renderer : public QObject
{
    Q_OBJECT

public:
    // The exit statuses.
    static constexpr int AllDone = 0;
    static constexpr int RowsFailed = 1;
    static constexpr int UsageError = 2;
    static constexpr int TryLater = 75;

    Renderer(QList<Manifest::Row> rows, const RenderTools &tools, const QString &outputDir, int jobs, bool force,
             QObject *parent = nullptr);
    ~Renderer() override;

    // Begins once the event loop runs.
    void start();

signals:
    void finished(int exitStatus);

private:
    void startMore();
    void rowEnded(RowJob *job, const RowOutcome &outcome);
    void showProgress(const RowJob *job, const RowOutcome &outcome);
    // A termination signal: every row stops and removes what it wrote, at once.
    void terminate();

    QList<Manifest::Row> m_rows;
    RenderTools m_tools;
    SharedPictures *m_pictures;
    RowContext m_context;
    int m_jobs;
    int m_next = 0;
    int m_done = 0;
    int m_failed = 0;
    bool m_diskFull = false;
    qint64 m_reservedBytes = 0;
    QList<RowJob *> m_running;
    QElapsedTimer m_clock;
    bool m_terminal = false;
};
