#pragma once

#include <QString>

class QWidget;

// Folder picker starting at initialFolder; the empty text when cancelled or unusable (after a
// message for a chosen path that is not a folder).
QString browseForFolder(QWidget *owner, const QString &title, const QString &initialFolder);

void copyTextToClipboard(const QString &text);
