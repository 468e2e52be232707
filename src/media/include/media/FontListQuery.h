#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class ToolRun;

// Reads the image tool's font list as a job, into fontNameList and fontGlyphFiles: start()
// returns at once, finished() comes once from the event loop, with true when the list then holds
// at least one name. The tool is stopped after FontListTimeoutMs. Shows no message: the caller does.
class FontListQuery : public QObject
{
    Q_OBJECT

public:
    explicit FontListQuery(QObject *parent = nullptr);

    void start(const QString &toolPath);
    bool isRunning() const { return !m_run.isNull(); }

signals:
    void finished(bool listed);

private:
    QPointer<ToolRun> m_run;
};
