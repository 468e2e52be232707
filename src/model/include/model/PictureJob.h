#pragma once

#include "media/PictureFile.h"
#include "model/CaptionSettings.h"
#include "model/PictureProblem.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class ToolRun;
struct CaptionDrawing;
struct ToolResult;

// What one preparation of the picture is to make, and from what.
struct PictureRequest
{
    // Letterboxed into plainPath; empty: the blank canvas is the plain picture.
    QString sourcePath;
    // False: the plain picture exists already (plainPath, or the blank canvas), only the caption
    // is drawn.
    bool letterbox = true;
    QSize size;
    quint32 background = 0;
    QString toolPath;
    QString blankCanvas;
    QString plainPath;
    QString withTextPath;
    // Drawn onto the plain picture into withTextPath when given.
    std::optional<CaptionSettings> caption;
    int timeoutMs = 0;
    // The source's header when the caller read it already.
    std::optional<PictureFileInfo> sourceInfo;
};

struct PictureResult
{
    // The prepared file: the copy with the caption, the plain copy or the blank canvas; empty
    // when the request failed.
    QString picturePath;
    QString sourcePath;
    // The caption the copy with text was drawn with, when one was drawn.
    std::optional<CaptionSettings> caption;
    PictureProblem problem;

    bool succeeded() const { return problem.isNone(); }
};

// One preparation of the picture with the image tool: letterbox the source (or take the blank
// canvas), then draw the caption when asked. start() returns at once; finished() reports from
// the event loop, exactly once. A step's old output goes before it runs and a failed step's output
// goes too, so nothing older than the request passes for its result.
class PictureJob : public QObject
{
    Q_OBJECT

public:
    explicit PictureJob(PictureRequest request, QObject *parent = nullptr);
    ~PictureJob() override;

    void start();
    // Stops the image tool and the rest of the request: finished() reports Canceled.
    void cancel();
    bool isFinished() const { return m_finished; }
    const PictureResult &result() const { return m_result; }
    const PictureRequest &request() const { return m_request; }

signals:
    void finished(const PictureResult &result);

private:
    void letterbox();
    void drawCaption();
    void captionPrepared(const CaptionDrawing &drawing);
    void runTool(const QStringList &arguments, const QString &output, void (PictureJob::*next)());
    void toolEnded(const ToolResult &result, const QString &output, void (PictureJob::*next)());
    void succeed();
    void fail(PictureProblem::Kind kind, const QString &path, const QString &detail = {});

    PictureRequest m_request;
    PictureResult m_result;
    QPointer<ToolRun> m_run;
    QString m_sourceLink;
    QStringList m_layerFiles;
    bool m_started = false;
    bool m_canceled = false;
    bool m_finished = false;
};
