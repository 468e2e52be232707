#include "pipeline/CVelmoraPictuneCompleteDlg.h"

#include "app/AppSettings.h"
#include "controls/DialogTemplate.h"
#include "pipeline/DesktopLauncher.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace {

constexpr int TemplateId = 207;
constexpr int CloseResult = 2;

} // namespace

CVelmoraPictuneCompleteDlg::CVelmoraPictuneCompleteDlg(QWidget *parent, const QString &outputPath)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_outputPath(outputPath)
{
    CreateDialogControls(this, TemplateId);
    ApplyDialogFont(this, TemplateId, 96.0, m_fontState);

    auto *upload = DialogControlAs<QPushButton>(this, IDC_UPLOAD_NOW);
    auto *player = DialogControlAs<QPushButton>(this, IDC_OPEN_WITH_PLAYER);
    auto *locate = DialogControlAs<QPushButton>(this, IDC_LOCATE_FILE);
    auto *close = DialogControlAs<QPushButton>(this, IDC_CLOSE);
    for (QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        // The template breaks the intro's lines itself; nothing may wrap them again.
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
    }

    // Two heights from the template: all of it, or everything above the player's key help.
    const DialogTemplate *dialogTemplate = DialogTemplate::get(TemplateId);
    const DialogBaseUnits base = MeasureDialogBaseUnits(font());
    int groupTop = dialogTemplate->size.height();
    for (const DialogControlTemplate &item : dialogTemplate->controls) {
        if (item.kind == QLatin1String("GroupBox"))
            groupTop = std::min(groupTop, item.rect.top());
    }
    m_fullHeight = height();
    m_compactHeight = DialogUnitsToPixels(QRect(0, groupTop, 0, 0), base).top();
    setFixedSize(width(), m_compactHeight);

    upload->setFocus();
    connect(upload, &QPushButton::clicked, this, &CVelmoraPictuneCompleteDlg::uploadNow);
    connect(player, &QPushButton::clicked, this, &CVelmoraPictuneCompleteDlg::openWithVideoPlayer);
    connect(locate, &QPushButton::clicked, this, &CVelmoraPictuneCompleteDlg::locateFile);
    connect(close, &QPushButton::clicked, this, &CVelmoraPictuneCompleteDlg::reject);
}

QString CVelmoraPictuneCompleteDlg::uploadPageUrl()
{
    return QStringLiteral("https://www.youtube.com/upload");
}

QStringList CVelmoraPictuneCompleteDlg::playerArguments(const QString &outputPath)
{
    return {QStringLiteral("-loop"), QStringLiteral("999"), QStringLiteral("-autoexit"), outputPath};
}

CVelmoraPictuneCompleteDlg::~CVelmoraPictuneCompleteDlg()
{
    RestoreDialogFont(m_fontState);
}

void CVelmoraPictuneCompleteDlg::uploadNow()
{
    DesktopLauncher::instance().openUrl(QUrl(uploadPageUrl()));
}

void CVelmoraPictuneCompleteDlg::openWithVideoPlayer()
{
    setFixedHeight(m_fullHeight);
    DesktopLauncher::instance().startDetached(AppSettings::instance().playerPath,
                                              playerArguments(m_outputPath));
}

void CVelmoraPictuneCompleteDlg::locateFile()
{
    LocateFileInFileManager(m_outputPath);
}

void CVelmoraPictuneCompleteDlg::reject()
{
    done(CloseResult);
}
