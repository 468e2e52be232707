#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class CaptionDialog;
class PictureStep;
class QWidget;
struct CaptionSettings;
struct SongTags;

// The caption dialog beside the main window. It runs without Qt's modality, so files may still
// be dropped on the window, while an InputHold keeps the window's other input back. OK draws the
// confirmed caption unless the copy with text holds exactly it already; Cancel brings the plain
// picture back.
class CaptionSession : public QObject
{
    Q_OBJECT

public:
    CaptionSession(QWidget *window, PictureStep &step, CaptionSettings &settings);

    // Shows the dialog; nothing when it is open already.
    void open(const QString &songPath, const SongTags *tags);
    // The dialog while it is open, else null.
    CaptionDialog *dialog() const;
    // Where the dialog stood last (-1, -1: never shown).
    QPoint position() const { return {m_x, m_y}; }

signals:
    // The dialog has ended and what it called for is done; on: the caption is drawn and on.
    void ended(bool on);

private:
    void dialogFinished(bool accepted);

    QWidget *m_window;
    PictureStep &m_step;
    CaptionSettings &m_settings;
    QPointer<CaptionDialog> m_dialog;
    int m_x = -1;
    int m_y = -1;
};
