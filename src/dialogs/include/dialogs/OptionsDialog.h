#pragma once

#include "widgets/TemplateDialog.h"

class QCheckBox;
class QLineEdit;

// Where the open-file dialogs start, where new videos go, and whether audio plays when chosen or
// dragged over the window. OK checks the three folders and saves all four settings at once.
class OptionsDialog : public TemplateDialog
{
    Q_OBJECT

public:
    // The controls' ids in the dialog's template.
    enum Control {
        OkButton = 1,
        CancelButton = 2,
        PictureFolderEdit = 1800,
        PictureBrowseButton = 1801,
        AudioFolderEdit = 1802,
        AudioBrowseButton = 1803,
        DestinationFolderEdit = 1804,
        DestinationBrowseButton = 1805,
        AutoPlayCheckBox = 1806,
    };

    explicit OptionsDialog(QWidget *owner);

    QLineEdit *folderEdit(int index) const;
    QCheckBox *autoPlayBox() const { return m_autoPlay; }

public slots:
    void accept() override;

private:
    void browse(int index);

    QLineEdit *m_edits[3] = {};
    QCheckBox *m_autoPlay = nullptr;
};
