#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where windows open and how big, by their frames (the window manager's decoration included),
// within the work area of the screen they open on (the screen less panels and docks).
namespace WindowPlacement {

// The top-left corner of a frame of size `frame` beside the `owner` frame: on the side where it
// fits whole without covering the owner (the one with more room when both fit), vertically
// centered on the owner. When neither side has room it takes the side with more and overlaps the
// owner as little as the work area allows. Always inside the work area; a frame larger than it
// keeps its top-left corner (the title bar) there.
QPoint besideOwner(const QSize &frame, const QRect &owner, const QRect &workArea);

// The top-left corner of a frame of size `frame` centered over `owner`, moved back into the work
// area where it would stick out (the left and top edges win when it is too big).
QPoint centeredOver(const QRect &owner, const QSize &frame, const QRect &workArea);

// `content` scaled down, its aspect kept, until it fits `room`; never scaled up, never below one
// pixel on a side. An empty room leaves the content as it is.
QSize fitWithin(const QSize &content, const QSize &room);

// The client size a window with the given frame margins may have to fit the work area whole.
QSize clientRoom(const QRect &workArea, const QMargins &frame);

// The window manager's frame of a window not framed yet (or of another program's window): a title
// bar and thin borders.
QMargins guessedFrame();

} // namespace WindowPlacement
