#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// A dialog's tooltips: attaches the tooltip table's rows of one dialog template to that
// dialog's controls and keeps them until it is destroyed. Tooltips never show while their
// control is disabled or hidden.
class DialogToolTips : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxTips = 100;

    explicit DialogToolTips(QObject *parent = nullptr);
    ~DialogToolTips() override;

    // Attaches every row of `templateId` to the control of `dialog` with the row's id. A row
    // whose control does not exist stays in the set without a control. Returns the number of
    // rows taken.
    int createTips(int templateId, QWidget *dialog);
    // Replaces the text of the tooltip of `controlId`; nothing when the set has none for it.
    void updateTip(const QString &text, QWidget *dialog, int controlId);

    int rowCount() const;
    int tipCount() const { return static_cast<int>(m_tips.size()); }
    // The text of the tooltip attached to `controlId`, empty when there is none.
    QString tipText(int controlId) const;

    // Tooltips show on disabled widgets in Qt; the set stops them there.
    static bool shouldShowToolTip(const QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Tip
    {
        int controlId;
        QPointer<QWidget> control;
        QString text;
    };
    void clear();
    QList<Tip> m_tips;
};
