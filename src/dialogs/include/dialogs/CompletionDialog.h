#pragma once

#include "widgets/DialogFont.h"

#include <QDialog>
#include <QString>

// Offered after a successful build: upload the new video, play it, or show it in the file manager.
// Stays open until closed, so several of these can be done one after the other.
class CompletionDialog : public QDialog
{
    Q_OBJECT

public:
    enum Control {
        IDC_UPLOAD_NOW = 2100,
        IDC_OPEN_WITH_PLAYER = 2101,
        IDC_LOCATE_FILE = 2102,
        IDC_CLOSE = 2,
    };

    CompletionDialog(QWidget *parent, const QString &outputPath);
    ~CompletionDialog() override;

    QString outputPath() const { return m_outputPath; }
    // Client heights: the first hides the player's key help below the visible area.
    int compactHeight() const { return m_compactHeight; }
    int fullHeight() const { return m_fullHeight; }

    static QString uploadPageUrl();
    // The player's parameters: play the file over and over (999 times) and exit at its end.
    static QStringList playerArguments(const QString &outputPath);

public slots:
    void uploadNow();
    void openWithVideoPlayer();
    void locateFile();
    // Close, Escape and the close box end the dialog with 2.
    void reject() override;

private:
    QString m_outputPath;
    int m_compactHeight = 0;
    int m_fullHeight = 0;
    DialogFontState m_fontState;
};
