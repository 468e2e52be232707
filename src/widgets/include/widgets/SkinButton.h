#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A picture push button of the main window: shows nothing but one of four faces, chosen by
// its state, and takes the size of its up face. The faces are the artwork named after the
// button's template caption plus "U" (up), "D" (down), "F" (focus) and "X" (disabled).
class SkinButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit SkinButton(const QString &caption = QString(), QWidget *parent = nullptr);

    // Finds the template control `controlId` of `dialog` (made as a SkinButton from
    // its self-painted template entry), loads its faces named after its caption and resizes
    // it to its up face without moving it. True when the control exists and its up face
    // loaded.
    static bool attachAndLoad(int controlId, QWidget *dialog);

    // Loads the four faces of `baseName`; true only when all four loaded. A missing up face
    // leaves the button without any; a missing other face leaves that state on the up face.
    bool loadBitmaps(const QString &baseName);

    enum class Face { None, Up, Down, Focus, Disabled };
    // The face the button shows in its current state.
    Face currentFace() const;
    // Chooses a face the way the button paints: down while pressed, focus while focused,
    // otherwise up, or disabled when disabled.
    static Face chooseFace(bool pressed, bool focused, bool disabled, bool hasUp, bool hasDown,
                           bool hasFocus, bool hasDisabled);

    QPixmap face(Face which) const;
    QSize sizeHint() const override;

    // What a screen reader says for a face set: the step text or what the button does.
    static QString accessibleNameFor(const QString &baseName);

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QString m_baseName;
    QPixmap m_up;
    QPixmap m_down;
    QPixmap m_focus;
    QPixmap m_disabled;
};
