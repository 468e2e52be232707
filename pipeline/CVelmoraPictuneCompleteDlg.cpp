#include "pipeline/CVelmoraPictuneCompleteDlg.h"

#include "app/AppSettings.h"
#include "pipeline/DesktopLauncher.h"
#include "pipeline/DialogUnits.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace {

constexpr int CloseResult = 2;

QPushButton *makeButton(QWidget *parent, int id, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setProperty("controlId", id);
    return button;
}

QLabel *makeStatic(QWidget *parent, const QString &text, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto *label = new QLabel(text, parent);
    label->setProperty("controlId", -1);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(alignment | Qt::AlignTop);
    return label;
}

} // namespace

CVelmoraPictuneCompleteDlg::CVelmoraPictuneCompleteDlg(QWidget *parent, const QString &outputPath)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_outputPath(outputPath)
{
    setWindowTitle(QStringLiteral("Pictune Complete"));

    QPushButton *upload = makeButton(this, IDC_UPLOAD_NOW, QStringLiteral("Upload Now"));
    QPushButton *player = makeButton(this, IDC_OPEN_WITH_PLAYER, QStringLiteral("Open with Video Player"));
    QPushButton *locate = makeButton(this, IDC_LOCATE_FILE, QStringLiteral("Locate File with File Manager"));
    QPushButton *close = makeButton(this, IDC_CLOSE, QStringLiteral("Close"));
    QLabel *intro = makeStatic(this,
                               QStringLiteral("Your Pictune is now Complete, and the Save As Path\n"
                                              "has been copied to the Clipboard, for easy Pasting.\n"
                                              "\n"
                                              "What would you like to do next?"),
                               Qt::AlignHCenter);
    auto *group = new QGroupBox(QStringLiteral("Video Player Controls"), this);
    group->setProperty("controlId", -1);
    QLabel *help1 = makeStatic(this, QStringLiteral("Click video to change playback position"));
    QLabel *help2 = makeStatic(this, QStringLiteral("Press Space to Pause/Resume playback"));
    QLabel *help3 = makeStatic(this, QStringLiteral("Press Left/Right Down/Up to move backward/forward"));
    QLabel *help4 = makeStatic(this, QStringLiteral("Press F for full screen"));

    const QRect groupUnits(6, 135, 184, 59);
    const DialogUnitScale scale = LayOutDialog(this, QSize(196, 199),
                                               {
                                                   {upload, QRect(33, 52, 128, 14)},
                                                   {player, QRect(33, 71, 128, 14)},
                                                   {locate, QRect(33, 90, 128, 14)},
                                                   {close, QRect(33, 110, 128, 14)},
                                                   {intro, QRect(10, 11, 175, 34)},
                                                   {group, groupUnits},
                                                   {help1, QRect(12, 148, 125, 8)},
                                                   {help2, QRect(12, 159, 128, 8)},
                                                   {help3, QRect(12, 169, 172, 8)},
                                                   {help4, QRect(12, 179, 70, 8)},
                                               });
    // The statics sit above the group box, as in the template's order, so it never hides them.
    group->lower();

    m_fullHeight = height();
    m_compactHeight = scale.y(groupUnits.top());
    setFixedHeight(m_compactHeight);

    upload->setDefault(true);
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
