#pragma once

struct CaptionSettings;

// The caption dialog as the main window sees it while drawing a preview of the caption.
class CaptionPreviewSource
{
public:
    virtual ~CaptionPreviewSource() = default;
    // Copies the controls into a record, every field but textOn.
    virtual void readControls(CaptionSettings &settings) const = 0;
    // The settings the main window drew last; the preview reads the controls into it.
    virtual CaptionSettings &workingSettings() = 0;
};

// The main window's side: draws the dialog's current settings onto the picture.
// Returns 1, or 0 when a drawing is already under way (the dialog reports again later).
class CaptionPreviewTarget
{
public:
    virtual ~CaptionPreviewTarget() = default;
    virtual int previewCaption(CaptionPreviewSource *dialog) = 0;
};
