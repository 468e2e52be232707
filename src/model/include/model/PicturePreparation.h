#pragma once

#include "model/CaptionSettings.h"

#include <QString>
#include <QStringList>

#include <functional>

class QObject;
class ToolRun;
struct Placement;
struct ToolResult;

// The picture the preview and the video use: the user's picture scaled and letterboxed to the
// target size by the image tool, optionally with the caption drawn on a copy of it. Without a
// picture, the blank canvas of the target size takes its place. Every result is an opaque 24-bit
// bitmap in the run's temporary folder.
class PicturePreparation
{
public:
    // Which copy is current.
    enum class State {
        Plain,      // the resized copy, or the blank canvas
        WithText,   // the copy with the caption
    };

    // Names the two temporary copies; nothing is written yet.
    PicturePreparation();
    // Deletes both copies.
    ~PicturePreparation();
    PicturePreparation(const PicturePreparation &) = delete;
    PicturePreparation &operator=(const PicturePreparation &) = delete;

    // Takes a new source picture (empty: none) or redoes the current one for a new target size,
    // and draws the caption when captionSettings is given and on. On failure the message has been
    // shown and the copy that failed no longer exists, so nothing older than this request can be
    // taken for its result.
    bool setSourcePicture(QObject *owner, const QString &path, const CaptionSettings *captionSettings);
    // Plain: the resized copy, or without a source the blank canvas of the current size;
    // WithText: the copy with the caption.
    QString currentPicturePath() const;
    // Draws the caption onto the plain picture into the copy with text. Callers set the state to
    // Plain first and to WithText on success.
    bool renderText(QObject *owner, const CaptionSettings &captionSettings);
    // The same for a live preview: the user keeps working while the image tool draws (the nested
    // wait lets input through), and cancelRendering() stops it without a message.
    bool renderTextLive(QObject *owner, const CaptionSettings &captionSettings);
    void cancelRendering();
    // Scales and letterboxes source to the current target size into destination.
    bool resizePicture(QObject *owner, const QString &source, const QString &destination);

    // Stops the image tool working for the current request (setSourcePicture or renderText) and
    // the rest of that request: it then returns false without a message.
    void cancel();
    // For the rest of the current request, input reaches the windows while the image tool works
    // (a window that offers Cancel is modal and keeps it from the rest).
    void allowUserInput();

    const QString &sourcePath() const { return m_sourcePath; }
    const QString &resizedPath() const { return m_resizedPath; }
    const QString &withTextPath() const { return m_withTextPath; }
    // The caption the copy with text holds: what the last successful drawing used.
    const CaptionSettings &withTextSettings() const { return m_withTextSettings; }
    State state() const { return m_state; }
    void setState(State state) { m_state = state; }
    // Off: a failure shows no message, for a picture the user did not choose (a song's cover).
    void setShowsFailures(bool shows) { m_showsFailures = shows; }

    // What a request's image tool runs share: the run in progress, and how the user may stop it.
    struct RunControl
    {
        ToolRun *run = nullptr;
        bool canceled = false;
        bool inputAllowed = false;
    };

private:
    RunControl m_control;
    int m_requestDepth = 0;
    bool drawCaption(QObject *owner, const CaptionSettings &captionSettings, bool live);

    QString m_sourcePath;
    QString m_resizedPath;
    QString m_withTextPath;
    CaptionSettings m_withTextSettings;
    State m_state = State::Plain;
    bool m_showsFailures = true;
};

// Shows the message of a failure for `owner` (the window asking); set by the layer that shows
// messages. Without one, failures are not told.
using PictureMessageReporter = std::function<void(QObject *owner, const QString &text)>;
void setPictureMessageReporter(PictureMessageReporter reporter);

// Paints one canvas of the background color per target size into the temporary folder and
// records the paths in TargetSizeTable. Stops at the first failure, after its message; when the
// image tool hung, the message names it and *imageToolHung is set.
bool createBlankCanvases(QObject *owner, bool *imageToolHung = nullptr);
// Deletes every canvas made and forgets the paths.
void deleteBlankCanvases();

// Longest the image tool may take for one picture before the run counts as failed.
void setImageToolTimeout(int milliseconds);
int imageToolTimeout();
// Longest it may take for one blank canvas: at start-up, before any window shows, a hanging tool
// must be named soon.
constexpr int BlankCanvasTimeoutMs = 10000;

// The message for an image tool that was stopped after `timeoutMs`: it names the tool.
QString imageToolTimedOutText(const QString &toolPath, int timeoutMs);

// --- The decisions above as pure functions ---

// "bmp:/abs/path": every picture the program writes is a bitmap.
QString imageToolOutput(const QString &absolutePath);
// The caption as the image tool's text: backslash doubled, line breaks as \n, % as \%, and a
// leading @ (which would make the tool read a file) as \@.
QString escapeCaptionText(const QString &text);
QStringList letterboxArguments(const QString &input, int width, int height, quint32 background,
                               const QString &output);
// The font is settings.fontName unless it lacks characters of the text that another of the tool's
// listed fonts has (captionFont).
QStringList captionArguments(const QString &input, const CaptionSettings &settings,
                             const Placement &placement, const QString &output);
QStringList blankCanvasArguments(int width, int height, quint32 background, const QString &output);

// The message for a picture the program refuses before the image tool sees it; reason is a
// sentence (readPictureInfo's).
QString refusedPictureMessage(const QString &path, const QString &reason);

// A run of the image tool failed: it did not start, crashed, timed out, exited non-zero, wrote no
// output, reported an error in ImageMagick's own form ("@ error/"), or could not read the font
// (in any form: a warning where the tool falls back to another font), or found the JPEG cut short.
bool imageToolRunFailed(const ToolResult &result, bool outputWritten);
