#pragma once

#include <QString>

struct SongTags;

// The tooltips of the main window's step markers, from the step's state.

// Step 1 once a picture is set (`set`), or still empty: the picture, or the song whose cover it is.
QString pictureStepTip(bool set, bool songCover, const QString &picturePath, const QString &songPath);
// Step 1 while it is empty: the offer to browse, and why the cover of the song of step 2
// (songPath) was left out when it could not be used (coverProblem, empty: nothing to say).
QString pendingPictureStepTip(const QString &songPath, const QString &coverProblem);
// Step 2: the song (empty: none), its length or that it is being measured, and its tags.
QString audioStepTip(const QString &songPath, bool measuring, double seconds, const SongTags &tags);
// A tip as the tooltip shows it: a text that could pass for markup (a file name or tag like
// "<b>") is escaped, so it shows as written.
QString stepTipText(const QString &text);
