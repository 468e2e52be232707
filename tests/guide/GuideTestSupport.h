#pragma once

#include "tools/DesktopLauncher.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

// Records what would be handed to the desktop instead of opening a browser.
class RecordingLauncher : public DesktopLauncher
{
public:
    RecordingLauncher() { DesktopLauncher::setInstance(this); }
    ~RecordingLauncher() override { DesktopLauncher::setInstance(nullptr); }
    void openUrl(const QUrl &url, std::function<void(bool)> done) override
    {
        urls << url;
        if (done)
            done(true);
    }
    bool startDetached(const QString &, const QStringList &) override { return true; }
    void showItems(const QStringList &, std::function<void(bool)> done) override { done(true); }
    QList<QUrl> urls;
};

// The real guide of the source tree, installed under a fresh data folder named by XDG_DATA_DIRS,
// where the program finds it when it runs from neither an installation nor the build folder.
class InstalledGuide
{
public:
    InstalledGuide();
    QString indexFile() const;
    QString dataFolder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
