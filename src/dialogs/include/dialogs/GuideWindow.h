#pragma once

#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;

// The user guide in a window of its own beside the main window: pages of the guide open inside
// it, web addresses in the desktop's browser. It works offline, from the installed files.
class GuideWindow : public QWidget
{
    Q_OBJECT

public:
    explicit GuideWindow(QWidget *parent = nullptr);

    // Shows the page (a file: address, with a section as its fragment) and brings the window up.
    void showPage(const QUrl &page);
    QUrl currentPage() const;
    QTextBrowser *browser() const { return m_browser; }
    // What the user reads when the desktop could not open a page in a browser.
    static QString browserFailedMessage(const QUrl &page);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followLink(const QUrl &link);
    void openInBrowser();
    void openOutside(const QUrl &page);
    // Beside the main window, on the side with room; placed again once the window is framed.
    void placeOnScreen();

    QTextBrowser *m_browser = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_forward = nullptr;
    QPushButton *m_contents = nullptr;
    QUrl m_home;
    bool m_placed = false;
};
