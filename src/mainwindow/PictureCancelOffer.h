#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QProgressDialog;
class QWidget;

// A way out of a picture step that takes long (a huge picture, a hanging image tool). While it
// lives, the windows do not act on the user's input; after a short delay a small modal window
// with Cancel shows, and from then on input reaches that window alone.
class PictureCancelOffer : public QObject
{
    Q_OBJECT

public:
    static constexpr int DelayMs = 1500;

    explicit PictureCancelOffer(QWidget *owner);
    ~PictureCancelOffer() override;

signals:
    void canceled();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void offer();

    QWidget *m_owner;
    QTimer m_delay;
    QPointer<QProgressDialog> m_dialog;
};
