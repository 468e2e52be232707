#include "dialogs/CompletionDialog.h"

#include "base/WebAddresses.h"
#include "dialogs/WindowPlacement.h"
#include "tools/DesktopLauncher.h"
#include "widgets/DialogFont.h"
#include "widgets/DialogTemplate.h"
#include "widgets/MessageBox.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QWindow>

namespace {

constexpr int CloseResult = 2;

} // namespace

CompletionDialog::CompletionDialog(const QString &outputPath, const QSize &videoSize, const QString &playerPath,
                                   QWidget *parent)
    : TemplateDialog(DialogId::Completion, parent)
    , m_outputPath(outputPath)
    , m_videoSize(videoSize)
    , m_playerPath(playerPath)
{
    createTemplateControls();
    applyTemplateFont();

    auto *upload = controlAs<QPushButton>(UploadNowButton);
    auto *player = controlAs<QPushButton>(OpenWithPlayerButton);
    auto *locate = controlAs<QPushButton>(LocateFileButton);
    auto *close = controlAs<QPushButton>(CloseButton);
    for (QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        // The template breaks the intro's lines itself; nothing may wrap them again.
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
    }

    // Two heights from the template: all of it, or everything above the player's key help.
    const DialogTemplate *dialogTemplate = DialogTemplate::get(int(dialogId()));
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
    return webAddress(WebAddress::UploadPage).toString();
}

QStringList CompletionDialog::playerArguments(const QString &outputPath, const QSize &videoSize,
                                              const QRect &workArea, const QMargins &frame)
{
    QStringList arguments{QStringLiteral("-loop"), QStringLiteral("999"), QStringLiteral("-autoexit")};
    if (!videoSize.isEmpty() && !workArea.isEmpty()) {
        // Given both, the player shows the video in a window of exactly that size; -left and -top
        // place its frame.
        const QSize client = WindowPlacement::fitWithin(videoSize, WindowPlacement::clientRoom(workArea, frame));
        const QPoint corner = WindowPlacement::centeredOver(workArea, client.grownBy(frame), workArea);
        arguments << QStringLiteral("-x") << QString::number(client.width()) << QStringLiteral("-y")
                  << QString::number(client.height()) << QStringLiteral("-left") << QString::number(corner.x())
                  << QStringLiteral("-top") << QString::number(corner.y());
    }
    return arguments << outputPath;
}

void CompletionDialog::uploadNow()
{
    DesktopLauncher::instance().openUrl(QUrl(uploadPageUrl()));
}

void CompletionDialog::openWithVideoPlayer()
{
    setFixedHeight(m_fullHeight);
    // The player is another program: its frame is this dialog's (the same window manager draws
    // both) with room for the resize handles a fixed-size dialog lacks.
    const QMargins own = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QMargins frame = (own.isNull() ? WindowPlacement::guessedFrame() : own) + QMargins(8, 8, 8, 8);
    const QScreen *where = screen();
    DesktopLauncher::instance().startDetached(
        m_playerPath, playerArguments(m_outputPath, m_videoSize, where ? where->availableGeometry() : QRect(), frame));
}

QString CompletionDialog::locateFailedMessage(const QString &outputPath)
{
    return QStringLiteral("No File Manager could be opened to show:\n\n   %1\n\nPlease check that a File Manager is "
                          "installed, thanks.")
        .arg(outputPath);
}

void CompletionDialog::locateFile()
{
    locateFileInFileManager(m_outputPath, [dialog = QPointer<CompletionDialog>(this), path = m_outputPath](bool shown) {
        if (!shown)
            MessageBox::warning(dialog, locateFailedMessage(path));
    });
}

void CompletionDialog::reject()
{
    done(CloseResult);
}
