#pragma once

class QFileDialog;

// Ties the labels "Look in:" and "Files of type:" of Qt's own file dialog to their lists, so
// assistive technology reads what each list is for and not only its current entry.
void labelFileDialogLists(QFileDialog *dialog);
