#include "dialogs/OptionsDialog.h"

#include "base/AppSettings.h"
#include "base/DesktopHelpers.h"
#include "base/MessageBox.h"
#include "base/Settings.h"
#include "dialogs/OptionsRules.h"
#include "widgets/DialogTemplate.h"
#include "widgets/DialogToolTips.h"
#include "widgets/TemplateControls.h"

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
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_toolTips(std::make_unique<DialogToolTips>())
{
    createDialogControls(this, 202);
    applyDialogFont(this, 202, 96.0, m_fontState);
    setFixedSize(size());

    const Settings::Key<QString> *keys[] = {&Settings::PictureFolder, &Settings::AudioFolder, &Settings::DestinationFolder};
    for (int i = 0; i < 3; ++i) {
        m_edits[i] = dialogControlAs<QLineEdit>(this, IDC_PICTURE_FOLDER + 2 * i);
        m_edits[i]->setText(AppSettings::instance().read(*keys[i]));
        m_edits[i]->setAccessibleName(QString::fromLatin1(FolderNames[i]));
        auto *button = dialogControlAs<QPushButton>(this, IDC_PICTURE_BROWSE + 2 * i);
        button->setAccessibleName(QStringLiteral("Browse for the %1").arg(QString::fromLatin1(FolderNames[i])));
        connect(button, &QPushButton::clicked, this, [this, i] { browse(i); });
    }
    m_autoPlay = dialogControlAs<QCheckBox>(this, IDC_AUTO_PLAY);
    m_autoPlay->setChecked(AppSettings::instance().autoPlayOnOpen);
    m_toolTips->createTips(202, this);

    connect(dialogControlAs<QPushButton>(this, 1), &QPushButton::clicked, this, &OptionsDialog::accept);
    connect(dialogControlAs<QPushButton>(this, 2), &QPushButton::clicked, this, &OptionsDialog::reject);
}

OptionsDialog::~OptionsDialog()
{
    restoreDialogFont(m_fontState);
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
    const bool saved = settings.write({
        Settings::PictureFolder.entry(folders.at(0)),
        Settings::AudioFolder.entry(folders.at(1)),
        Settings::DestinationFolder.entry(folders.at(2)),
        Settings::AutoPlayOnOpen.entry(autoPlay),
    });
    if (!saved) {
        MessageBox::warning(this, QStringLiteral("The settings could not be saved in:\n\n   %1\n\nPlease check that this file can be written, thanks.")
                        .arg(settings.iniPath));
        return;
    }
    settings.autoPlayOnOpen = autoPlay;
    QDialog::accept();
}
