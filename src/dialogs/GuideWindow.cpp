#include "dialogs/GuideWindow.h"

#include "dialogs/WindowPlacement.h"
#include "tools/DesktopLauncher.h"
#include "widgets/MessageBox.h"
#include "widgets/SkinArtwork.h"
#include "widgets/WindowMover.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWindow>

GuideWindow::GuideWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
    , m_back(new QPushButton(QStringLiteral("&Back"), this))
    , m_forward(new QPushButton(QStringLiteral("&Forward"), this))
    , m_contents(new QPushButton(QStringLiteral("&Contents"), this))
{
    setWindowTitle(QStringLiteral("Velmora User Guide"));
    setWindowIcon(SkinArtwork::appIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("guideWindow"));

    auto *browserButton = new QPushButton(QStringLiteral("Open in &Web Browser"), this);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    m_back->setAccessibleName(QStringLiteral("Back"));
    m_forward->setAccessibleName(QStringLiteral("Forward"));
    m_contents->setAccessibleName(QStringLiteral("Contents"));
    browserButton->setAccessibleName(QStringLiteral("Open in Web Browser"));
    m_browser->setAccessibleName(QStringLiteral("User Guide"));
    for (QPushButton *button : {m_back, m_forward, m_contents, browserButton, close})
        button->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addWidget(m_contents);
    buttons->addStretch();
    buttons->addWidget(browserButton);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    // Links are followed by hand: guide pages here, anything else by the desktop.
    m_browser->setOpenLinks(false);
    m_browser->setOpenExternalLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &GuideWindow::followLink);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_contents, &QPushButton::clicked, this, [this] { m_browser->setSource(m_home); });
    connect(browserButton, &QPushButton::clicked, this, &GuideWindow::openInBrowser);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    // Wide enough for the guide's pictures of the windows, tall enough to read a section whole,
    // within a small screen.
    QSize preferred(860, 680);
    if (const QScreen *where = screen())
        preferred = preferred.boundedTo(where->availableGeometry().size() * 9 / 10);
    resize(preferred);
}

void GuideWindow::showPage(const QUrl &page)
{
    m_home = page.adjusted(QUrl::RemoveFragment);
    m_browser->setSource(page);
    // A page without a fragment starts at its top even when it was shown before.
    if (!page.hasFragment())
        m_browser->verticalScrollBar()->setValue(0);
    const bool first = !m_placed;
    if (first) {
        m_placed = true;
        placeOnScreen();
    }
    show();
    if (first && windowHandle())
        windowHandle()->installEventFilter(this);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void GuideWindow::placeOnScreen()
{
    const QScreen *where = parentWidget() ? parentWidget()->screen() : screen();
    if (!where)
        return;
    const QRect workArea = where->availableGeometry();
    // The frame is only known once the window manager has framed the window: until then a title
    // bar's worth is the guess, and the window is placed again with the real one.
    const QWindow *handle = windowHandle();
    const QMargins frame = handle && !handle->frameMargins().isNull() ? handle->frameMargins() : WindowPlacement::guessedFrame();
    const QSize frameSize = size().grownBy(frame);
    const QPoint corner = parentWidget()
        ? WindowPlacement::besideOwner(frameSize, WindowMover::serverFrameGeometry(parentWidget()->window()), workArea)
        : WindowPlacement::centeredOver(workArea, frameSize, workArea);
    // A shown window is placed by its client area, which the window manager keeps where asked.
    if (handle && handle->isVisible())
        windowHandle()->setPosition(corner + QPoint(frame.left(), frame.top()));
    else
        move(corner);
}

bool GuideWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The window manager's frame may become known after the window is exposed, with a move.
    if (watched == windowHandle() && (event->type() == QEvent::Expose || event->type() == QEvent::Move)
        && windowHandle()->isExposed() && !windowHandle()->frameMargins().isNull()) {
        windowHandle()->removeEventFilter(this);
        placeOnScreen();
    }
    return QWidget::eventFilter(watched, event);
}

QUrl GuideWindow::currentPage() const
{
    return m_browser->source();
}

void GuideWindow::followLink(const QUrl &link)
{
    const QUrl target = m_browser->source().resolved(link);
    if (target.isLocalFile() && target.path().endsWith(QLatin1String(".html")))
        m_browser->setSource(target);
    else
        openOutside(target);
}

void GuideWindow::openInBrowser()
{
    openOutside(m_browser->source());
}

QString GuideWindow::browserFailedMessage(const QUrl &page)
{
    return QStringLiteral("No Web Browser could be opened to show:\n\n   %1\n\nPlease check that a Web Browser is "
                          "installed, thanks.")
        .arg(page.isLocalFile() ? page.toLocalFile() : page.toString());
}

void GuideWindow::openOutside(const QUrl &page)
{
    DesktopLauncher::instance().openUrl(page, [window = QPointer<GuideWindow>(this), page](bool opened) {
        if (!opened)
            MessageBox::warning(window, browserFailedMessage(page));
    });
}

void GuideWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
