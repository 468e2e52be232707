#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class PicturePreparation;
class QProgressDialog;
class QWidget;

// A way out of a picture step that takes long (a huge picture, a hanging image tool): while it
// lives, a small modal window with Cancel shows after a short delay; from then on input reaches
// that window while the tool works, and Cancel stops the tool and the rest of the step.
class PictureCancelOffer : public QObject
{
    Q_OBJECT

public:
    static constexpr int DelayMs = 1500;

    PictureCancelOffer(QWidget *owner, PicturePreparation &preparation);
    ~PictureCancelOffer() override;

private:
    void offer();

    QWidget *m_owner;
    PicturePreparation &m_preparation;
    QTimer m_delay;
    QPointer<QProgressDialog> m_dialog;
};
