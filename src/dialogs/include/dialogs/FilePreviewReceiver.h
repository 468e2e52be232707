#pragma once

#include <QRect>
#include <QString>

// What the main window is previewing for a drag or a selection in the open-file dialog.
enum class PreviewKind { Nothing, Picture, Audio };

// The main window's side of file previews and opens: the drop target and the open-file dialog
// talk to it through these calls only.
class FilePreviewReceiver
{
public:
    virtual ~FilePreviewReceiver() = default;
    // Shows a picture, or plays a song when auto-play is on, without taking it.
    virtual void previewFile(const QString &path) = 0;
    // Brings back what the window showed and played before the preview.
    virtual void endPreview() = 0;
    // Takes the file as the picture or the song.
    virtual void openFile(const QString &path) = 0;
    // The open-file dialog's auto-play box was clicked: previews and the file chosen follow it
    // until the dialog's choice has been taken; the setting stays as it is.
    virtual void autoPlayChosen(bool on) = 0;
    // Shows the placeholder of a file that cannot be opened.
    virtual void showPlaceholder() = 0;
    virtual PreviewKind previewKind() const = 0;
    // False while a drop must wait (a picture is being prepared).
    virtual bool acceptsDrops() const { return true; }
    // Where the previews show, in screen coordinates; a dialog that previews leaves it in sight.
    virtual QRect previewArea() const { return {}; }
};
