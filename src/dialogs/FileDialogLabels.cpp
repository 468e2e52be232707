#include "dialogs/FileDialogLabels.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>

void labelFileDialogLists(QFileDialog *dialog)
{
    const char *const pairs[][2] = {{"lookInLabel", "lookInCombo"}, {"fileTypeLabel", "fileTypeCombo"}};
    for (const auto &pair : pairs) {
        auto *label = dialog->findChild<QLabel *>(QLatin1String(pair[0]));
        auto *list = dialog->findChild<QComboBox *>(QLatin1String(pair[1]));
        if (label && list && !label->buddy())
            label->setBuddy(list);
    }
}
