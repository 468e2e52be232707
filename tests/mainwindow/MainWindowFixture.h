#pragma once

#include "PictureWaits.h"
#include "TestSupport.h"

#include "tools/DesktopLauncher.h"

#include <QEvent>
#include <QList>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

class MainWindow;
class QWidget;

// Records what would be opened on the desktop instead of opening it.
class QuietLauncher : public DesktopLauncher
{
public:
    void openUrl(const QUrl &url, std::function<void(bool)> done) override;
    bool startDetached(const QString &, const QStringList &) override { return true; }
    void showItems(const QStringList &, std::function<void(bool)> done) override { done(true); }
    QList<QUrl> urls;
};

// Answers every modal dialog of a given kind while it lives.
class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(std::function<bool(QWidget *)> answer);
    int handled = 0;

private:
    QTimer m_timer;
    std::function<bool(QWidget *)> m_answer;
};

// Closes the completion dialog that ends a successful build.
bool closeCompletionDialog(QWidget *modal);

// Create, followed to its end: while the song is measured Create waits for its length, and the
// build runs once it is in. False when the wait did not end.
bool createAndWait(MainWindow *window);

// A drag of local files (an empty path: a URL without a name) as the window system sends it.
void sendDrag(QWidget *window, const QStringList &paths, QEvent::Type type);
// A drag and drop of one file; on the main window, also the wait for the picture it prepares.
void dropFile(QWidget *window, const QString &path);

// The media every main window test uses, made once with the real tools, and for each test a
// fresh configuration with auto-play off and a recorder in place of the message boxes.
class MainWindowFixture
{
protected:
    void createMedia();
    void setUpTest();
    void tearDownTest();
    // An initialized, shown window whose start-up checks have run; null when it failed.
    std::unique_ptr<MainWindow> makeWindow();

    QTemporaryDir m_media;
    QString m_picture;     // 800x600 JPEG
    QString m_portrait;    // 300x600 PNG
    QString m_song;        // 3 s MP3
    QString m_flac;        // 2 s FLAC
    QString m_notPicture;  // text named .jpg
    std::unique_ptr<TestSupport::ConfigSandbox> m_sandbox;
    std::unique_ptr<TestSupport::MessageRecorder> m_messages;
    QuietLauncher m_launcher;
    QTemporaryDir m_out;
};
