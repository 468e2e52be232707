#pragma once

#include "media/OpenableExtensions.h"

#include <QFileDialog>

class FilePreviewReceiver;
class QCheckBox;

// The open-file dialog of the step markers: previews each selected file in the main window and
// carries an auto-play check box of its own. The box starts from the setting; what the user makes
// of it holds for this dialog only and changes no setting.
class OpenFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    enum Control { AutoPlayCheckBox = 1700 };

    OpenFileDialog(QWidget *owner, FilePreviewReceiver *receiver, FileKind kind,
                   const QString &initialFolder);

    static QString titleFor(FileKind kind);
    QCheckBox *autoPlayBox() const { return m_autoPlay; }
    // Whether a selected song plays: the box as last clicked.
    bool autoPlay() const { return m_autoPlayOn; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Beside the owner, its preview in sight; again once the window manager has framed it.
    void placeBesideOwner();
    void selectionChanged(const QString &path);
    void autoPlayClicked(bool checked);
    void nameTyped(const QString &text);

    FilePreviewReceiver *m_receiver;
    QCheckBox *m_autoPlay = nullptr;
    // The state in force. It changes after a click has ended the song's preview: that preview
    // ends as one played with auto-play on.
    bool m_autoPlayOn = false;
    bool m_placedWithFrame = false;
    QString m_previewed;
};
