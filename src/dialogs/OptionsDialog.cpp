#include "dialogs/OptionsDialog.h"

#include "base/AppSettings.h"
#include "base/Settings.h"
#include "dialogs/OptionsRules.h"
#include "widgets/DesktopHelpers.h"
#include "widgets/MessageBox.h"

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

OptionsDialog::OptionsDialog(QWidget *owner)
    : TemplateDialog(DialogId::Options, owner)
{
    buildFixedLayout();

    const Settings::Key<QString> *keys[] = {&Settings::PictureFolder, &Settings::AudioFolder, &Settings::DestinationFolder};
    for (int i = 0; i < 3; ++i) {
        m_edits[i] = controlAs<QLineEdit>(PictureFolderEdit + 2 * i);
        m_edits[i]->setText(AppSettings::instance().read(*keys[i]));
        m_edits[i]->setAccessibleName(QString::fromLatin1(FolderNames[i]));
        auto *button = controlAs<QPushButton>(PictureBrowseButton + 2 * i);
        button->setAccessibleName(QStringLiteral("Browse for the %1").arg(QString::fromLatin1(FolderNames[i])));
        connect(button, &QPushButton::clicked, this, [this, i] { browse(i); });
    }
    m_autoPlay = controlAs<QCheckBox>(AutoPlayCheckBox);
    m_autoPlay->setChecked(AppSettings::instance().autoPlayOnOpen());
    attachToolTips();

    connect(controlAs<QPushButton>(OkButton), &QPushButton::clicked, this, &OptionsDialog::accept);
    connect(controlAs<QPushButton>(CancelButton), &QPushButton::clicked, this, &OptionsDialog::reject);
}

QLineEdit *OptionsDialog::folderEdit(int index) const
{
    return (index >= 0 && index < 3) ? m_edits[index] : nullptr;
}

void OptionsDialog::browse(int index)
{
    const QString chosen = browseForFolder(this, QString::fromLatin1(BrowseTitles[index]), m_edits[index]->text());
    if (!chosen.isEmpty())
        m_edits[index]->setText(chosen);
}

void OptionsDialog::accept()
{
    QStringList folders;
    for (QLineEdit *edit : m_edits)
        folders << OptionsRules::normalizeFolder(edit->text());
    const int bad = OptionsRules::firstBadFolder(folders);
    if (bad >= 0) {
        MessageBox::warning(this, OptionsRules::notFoundMessage(bad));
        m_edits[bad]->setFocus();
        return;
    }

    AppSettings &settings = AppSettings::instance();
    const bool autoPlay = m_autoPlay->isChecked();
    const bool saved = settings.setAll({
        Settings::PictureFolder.entry(folders.at(0)),
        Settings::AudioFolder.entry(folders.at(1)),
        Settings::DestinationFolder.entry(folders.at(2)),
        Settings::AutoPlayOnOpen.entry(autoPlay),
    });
    if (!saved) {
        MessageBox::warning(this, settings.notSavedText());
        return;
    }
    TemplateDialog::accept();
}
