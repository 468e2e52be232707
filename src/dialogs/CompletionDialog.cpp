#include "dialogs/CompletionDialog.h"

#include "base/AppSettings.h"
#include "tools/DesktopLauncher.h"
#include "widgets/DialogTemplate.h"
#include "widgets/TemplateControls.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace {

constexpr int TemplateId = 207;
constexpr int CloseResult = 2;

} // namespace

CompletionDialog::CompletionDialog(QWidget *parent, const QString &outputPath)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_outputPath(outputPath)
{
    createDialogControls(this, TemplateId);
    applyDialogFont(this, TemplateId, 96.0, m_fontState);

    auto *upload = dialogControlAs<QPushButton>(this, IDC_UPLOAD_NOW);
    auto *player = dialogControlAs<QPushButton>(this, IDC_OPEN_WITH_PLAYER);
    auto *locate = dialogControlAs<QPushButton>(this, IDC_LOCATE_FILE);
    auto *close = dialogControlAs<QPushButton>(this, IDC_CLOSE);
    for (QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        // The template breaks the intro's lines itself; nothing may wrap them again.
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
    }

    // Two heights from the template: all of it, or everything above the player's key help.
    const DialogTemplate *dialogTemplate = DialogTemplate::get(TemplateId);
    const DialogBaseUnits base = measureDialogBaseUnits(font());
    int groupTop = dialogTemplate->size.height();
    for (const DialogControlTemplate &item : dialogTemplate->controls) {
        if (item.kind == QLatin1String("GroupBox"))
            groupTop = std::min(groupTop, item.rect.top());
    }
    m_fullHeight = height();
    m_compactHeight = dialogUnitsToPixels(QRect(0, groupTop, 0, 0), base).top();
    setFixedSize(width(), m_compactHeight);

    upload->setFocus();
    connect(upload, &QPushButton::clicked, this, &CompletionDialog::uploadNow);
    connect(player, &QPushButton::clicked, this, &CompletionDialog::openWithVideoPlayer);
    connect(locate, &QPushButton::clicked, this, &CompletionDialog::locateFile);
    connect(close, &QPushButton::clicked, this, &CompletionDialog::reject);
}

QString CompletionDialog::uploadPageUrl()
{
    return QStringLiteral("https://www.youtube.com/upload");
}

QStringList CompletionDialog::playerArguments(const QString &outputPath)
{
    return {QStringLiteral("-loop"), QStringLiteral("999"), QStringLiteral("-autoexit"), outputPath};
}

CompletionDialog::~CompletionDialog()
{
    restoreDialogFont(m_fontState);
}

void CompletionDialog::uploadNow()
{
    DesktopLauncher::instance().openUrl(QUrl(uploadPageUrl()));
}

void CompletionDialog::openWithVideoPlayer()
{
    setFixedHeight(m_fullHeight);
    DesktopLauncher::instance().startDetached(AppSettings::instance().playerPath,
                                              playerArguments(m_outputPath));
}

void CompletionDialog::locateFile()
{
    locateFileInFileManager(m_outputPath);
}

void CompletionDialog::reject()
{
    done(CloseResult);
}
