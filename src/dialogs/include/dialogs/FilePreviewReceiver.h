#pragma once

#include <QString>

// The main window's side of file previews and opens (WM_PREVIEW_FILE, WM_END_PREVIEW,
// WM_OPEN_FILE, WM_SHOW_PLACEHOLDER): the drop target and the open-file dialog talk to it
// through these calls only.
class FilePreviewReceiver
{
public:
    virtual ~FilePreviewReceiver() = default;
    virtual int previewFile(const QString &path) = 0;
    virtual int endPreview() = 0;
    virtual int openFile(const QString &path) = 0;
    virtual int showPlaceholder() = 0;
    // 0 nothing, 1 a picture, 2 an audio file is being previewed.
    virtual int previewKind() const = 0;
    // False while a drop must wait (a picture is being prepared).
    virtual bool acceptsDrops() const { return true; }
};
