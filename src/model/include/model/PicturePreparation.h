#pragma once

#include "model/CaptionSettings.h"
#include "model/ImageToolArguments.h"
#include "model/PictureJob.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class BlankCanvases;
struct PictureFileInfo;

// The picture the preview and the video use: the user's picture scaled and letterboxed to the
// target size by the image tool, optionally with the caption drawn on a copy of it. Without a
// picture, the blank canvas of the target size takes its place. Every result is an opaque 24-bit
// bitmap in the run's temporary folder. One request at a time runs as a PictureJob; it shows
// nothing: finished() carries the problem, if any.
class PicturePreparation : public QObject
{
    Q_OBJECT

public:
    // Which copy is current.
    enum class State {
        Plain,      // the resized copy, or the blank canvas
        WithText,   // the copy with the caption
    };

    // Names the two temporary copies; nothing is written yet.
    explicit PicturePreparation(const BlankCanvases &canvases, QObject *parent = nullptr);
    // Deletes both copies; a request still running is stopped without finished().
    ~PicturePreparation() override;

    // Takes a new source picture (empty: none) or redoes the current one for a new target size,
    // and draws the caption when captionSettings is given and on. Both copies go at once, so on
    // failure nothing older than this request can be taken for its result. `info` is the
    // source's header when the caller read it already.
    void setSourcePicture(const QString &path, const CaptionSettings *captionSettings,
                          const PictureFileInfo *info = nullptr);
    // Draws the caption onto the plain picture into the copy with text: Plain until it is drawn,
    // WithText then.
    void renderText(const CaptionSettings &captionSettings);
    // Stops the request running: finished() reports it cancelled.
    void cancel();
    bool isBusy() const { return m_job != nullptr; }

    // Plain: the resized copy, or without a source the blank canvas of the current size;
    // WithText: the copy with the caption.
    QString currentPicturePath() const;
    const QString &sourcePath() const { return m_sourcePath; }
    const QString &resizedPath() const { return m_resizedPath; }
    const QString &withTextPath() const { return m_withTextPath; }
    // The caption the copy with text holds: what the last successful drawing used.
    const CaptionSettings &withTextSettings() const { return m_withTextSettings; }
    State state() const { return m_state; }
    void setState(State state) { m_state = state; }

signals:
    // The request has ended, its copies and the state updated.
    void finished(const PictureResult &result);

private:
    PictureRequest request() const;
    void start(const PictureRequest &request);
    void jobEnded(const PictureResult &result);

    const BlankCanvases &m_canvases;
    QPointer<PictureJob> m_job;
    QString m_sourcePath;
    QString m_resizedPath;
    QString m_withTextPath;
    CaptionSettings m_withTextSettings;
    State m_state = State::Plain;
};

// Longest the image tool may take for one picture before the run counts as failed.
void setImageToolTimeout(int milliseconds);
int imageToolTimeout();
