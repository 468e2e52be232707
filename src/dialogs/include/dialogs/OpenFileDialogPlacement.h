#pragma once

#include <QPoint>
#include <QRect>

// Where the open-file dialog opens: beside the main window, so that the picture box, where the
// selected file is previewed, stays in sight.
namespace OpenFileDialogPlacement {

// The top-left corner of a dialog frame of `dialog`'s size: on the side of `owner` with more room
// on `screen`, overlapping the owner by up to 100 pixels but never covering `keepVisible`, and
// vertically centred on the owner; always inside the screen. When neither side has room the
// dialog takes the side with more room, pushed inside the screen.
QPoint besideOwner(const QSize &dialog, const QRect &owner, const QRect &keepVisible, const QRect &screen);

} // namespace OpenFileDialogPlacement
