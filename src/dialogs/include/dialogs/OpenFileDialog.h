#pragma once

#include "media/OpenableExtensions.h"

#include <QFileDialog>

class FilePreviewReceiver;
class QCheckBox;

// The open-file dialog of the step markers: previews each selected file in the main window and
// carries the auto-play check box, whose state holds only while the dialog is open.
class OpenFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    enum Control { AutoPlayCheckBox = 1700 };

    OpenFileDialog(QWidget *owner, FilePreviewReceiver *receiver, FileKind kind,
                   const QString &initialFolder);

    static QString titleFor(FileKind kind);
    QCheckBox *autoPlayBox() const { return m_autoPlay; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Beside the owner, the preview in sight; again once the window manager has framed it.
    void placeBesideOwner();
    void selectionChanged(const QString &path);
    void autoPlayClicked(bool checked);
    void nameTyped(const QString &text);

    FilePreviewReceiver *m_receiver;
    QCheckBox *m_autoPlay = nullptr;
    bool m_placedWithFrame = false;
    QString m_previewed;
};
