#include "options/CVLDefaultFileLocationsDlg.h"

#include "app/AppSettings.h"
#include "app/IniFile.h"
#include "app/MessageBox.h"
#include "app/ShellHelpers.h"
#include "controls/CCreateToolTips.h"
#include "controls/DialogTemplate.h"
#include "options/OptionsRules.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

const char *const BrowseTitles[] = {
    "Please select the new Picture File Path:",
    "Please select the new Audio File Path:",
    "Please select the new Destination File Path:",
};

// Names for screen readers: the edits and the "..." buttons show none of their own.
const char *const FolderNames[] = {
    "Picture Folder",
    "Audio Folder",
    "Destination Folder",
};

} // namespace

CVLDefaultFileLocationsDlg::CVLDefaultFileLocationsDlg(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_toolTips(std::make_unique<CCreateToolTips>())
{
    CreateDialogControls(this, 202);
    ApplyDialogFont(this, 202, 96.0, m_fontState);
    setFixedSize(size());

    const QString keys[] = {SettingsKeys::PictureFile, SettingsKeys::AudioFile, SettingsKeys::DestinationFolder};
    for (int i = 0; i < 3; ++i) {
        m_edits[i] = DialogControlAs<QLineEdit>(this, IDC_PICTURE_FOLDER + 2 * i);
        m_edits[i]->setText(ReadFolderSetting(keys[i]));
        m_edits[i]->setAccessibleName(QString::fromLatin1(FolderNames[i]));
        auto *button = DialogControlAs<QPushButton>(this, IDC_PICTURE_BROWSE + 2 * i);
        button->setAccessibleName(QStringLiteral("Browse for the %1").arg(QString::fromLatin1(FolderNames[i])));
        connect(button, &QPushButton::clicked, this, [this, i] { browse(i); });
    }
    m_autoPlay = DialogControlAs<QCheckBox>(this, IDC_AUTO_PLAY);
    m_autoPlay->setChecked(AppSettings::instance().autoPlayOnOpen);
    m_toolTips->CreateTips(202, this);

    connect(DialogControlAs<QPushButton>(this, 1), &QPushButton::clicked, this, &CVLDefaultFileLocationsDlg::accept);
    connect(DialogControlAs<QPushButton>(this, 2), &QPushButton::clicked, this, &CVLDefaultFileLocationsDlg::reject);
}

CVLDefaultFileLocationsDlg::~CVLDefaultFileLocationsDlg()
{
    RestoreDialogFont(m_fontState);
}

QLineEdit *CVLDefaultFileLocationsDlg::folderEdit(int index) const
{
    return (index >= 0 && index < 3) ? m_edits[index] : nullptr;
}

void CVLDefaultFileLocationsDlg::browse(int index)
{
    const QString chosen = BrowseForFolder(this, QString::fromLatin1(BrowseTitles[index]), m_edits[index]->text());
    if (!chosen.isEmpty())
        m_edits[index]->setText(chosen);
}

void CVLDefaultFileLocationsDlg::accept()
{
    QStringList folders;
    for (QLineEdit *edit : m_edits)
        folders << OptionsRules::NormalizeFolder(edit->text());
    const int bad = OptionsRules::FirstBadFolder(folders);
    if (bad >= 0) {
        ShowMessage(this, MessageCaption, MB_OK | MB_ICONEXCLAMATION, OptionsRules::NotFoundMessage(bad));
        m_edits[bad]->setFocus();
        return;
    }

    AppSettings &settings = AppSettings::instance();
    const bool autoPlay = m_autoPlay->isChecked();
    const bool saved = IniFile::writeStrings(settings.iniPath, SettingsKeys::Section, {
        {SettingsKeys::PictureFile + QStringLiteral("Path"), folders.at(0)},
        {SettingsKeys::AudioFile + QStringLiteral("Path"), folders.at(1)},
        {SettingsKeys::DestinationFolder + QStringLiteral("Path"), folders.at(2)},
        {SettingsKeys::AutoPlayOnOpen, autoPlay ? QStringLiteral("1") : QStringLiteral("0")},
    });
    if (!saved) {
        ShowMessage(this, MessageCaption, MB_OK | MB_ICONEXCLAMATION,
                    QStringLiteral("The settings could not be saved in:\n\n   %1\n\nPlease check that this file can be written, thanks.")
                        .arg(settings.iniPath));
        return;
    }
    settings.autoPlayOnOpen = autoPlay;
    QDialog::accept();
}
