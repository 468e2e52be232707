#pragma once

#include "widgets/DialogFont.h"

#include <QDialog>

#include <memory>

class DialogToolTips;
class QCheckBox;
class QLineEdit;

// Where the open-file dialogs start, where new videos go, and whether audio plays when chosen or
// dragged over the window. OK checks the three folders and saves all four settings at once.
class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    enum Control {
        IDC_PICTURE_FOLDER = 1800,
        IDC_PICTURE_BROWSE = 1801,
        IDC_AUDIO_FOLDER = 1802,
        IDC_AUDIO_BROWSE = 1803,
        IDC_DESTINATION_FOLDER = 1804,
        IDC_DESTINATION_BROWSE = 1805,
        IDC_AUTO_PLAY = 1806,
    };

    explicit OptionsDialog(QWidget *owner);
    ~OptionsDialog() override;

    QLineEdit *folderEdit(int index) const;
    QCheckBox *autoPlayBox() const { return m_autoPlay; }

public slots:
    void accept() override;

private:
    void browse(int index);

    DialogFontState m_fontState;
    std::unique_ptr<DialogToolTips> m_toolTips;
    QLineEdit *m_edits[3] = {};
    QCheckBox *m_autoPlay = nullptr;
};
