#include "widgets/SkinButton.h"

#include "widgets/DialogTemplate.h"
#include "widgets/SkinArtwork.h"

#include <QHash>
#include <QPainter>

SkinButton::SkinButton(const QString &caption, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(caption);
    setFocusPolicy(Qt::StrongFocus);
}

bool SkinButton::attachAndLoad(int controlId, QWidget *dialog)
{
    auto *button = dialogControlAs<SkinButton>(dialog, controlId);
    if (!button)
        return false;
    button->loadBitmaps(button->text());
    if (button->m_up.isNull())
        return false;
    button->resize(button->m_up.deviceIndependentSize().toSize());
    return true;
}

bool SkinButton::loadBitmaps(const QString &baseName)
{
    m_up = m_down = m_focus = m_disabled = QPixmap();
    m_baseName = baseName;
    const qreal ratio = devicePixelRatioF();
    m_up = SkinArtwork::buttonFace(baseName + QLatin1Char('U'), ratio);
    if (m_up.isNull()) {
        update();
        return false;
    }
    m_down = SkinArtwork::buttonFace(baseName + QLatin1Char('D'), ratio);
    m_focus = SkinArtwork::buttonFace(baseName + QLatin1Char('F'), ratio);
    m_disabled = SkinArtwork::buttonFace(baseName + QLatin1Char('X'), ratio);
    const QString name = accessibleNameFor(baseName);
    if (!name.isEmpty())
        setAccessibleName(name);
    updateGeometry();
    update();
    return !m_down.isNull() && !m_focus.isNull() && !m_disabled.isNull();
}

SkinButton::Face SkinButton::chooseFace(bool pressed, bool focused, bool disabled,
                                                    bool hasUp, bool hasDown, bool hasFocus,
                                                    bool hasDisabled)
{
    if (pressed && hasDown)
        return Face::Down;
    if (focused && hasFocus)
        return Face::Focus;
    if (disabled && hasDisabled)
        return Face::Disabled;
    return hasUp ? Face::Up : Face::None;
}

SkinButton::Face SkinButton::currentFace() const
{
    return chooseFace(isDown(), hasFocus(), !isEnabled(), !m_up.isNull(), !m_down.isNull(),
                      !m_focus.isNull(), !m_disabled.isNull());
}

QPixmap SkinButton::face(Face which) const
{
    switch (which) {
    case Face::Up:
        return m_up;
    case Face::Down:
        return m_down;
    case Face::Focus:
        return m_focus;
    case Face::Disabled:
        return m_disabled;
    case Face::None:
        break;
    }
    return {};
}

QSize SkinButton::sizeHint() const
{
    if (m_up.isNull())
        return QAbstractButton::sizeHint();
    return m_up.deviceIndependentSize().toSize();
}

QString SkinButton::accessibleNameFor(const QString &baseName)
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("BITMAP_MINIMIZE"), QStringLiteral("Minimize")},
        {QStringLiteral("BITMAP_MAXIMIZE"), QStringLiteral("Maximize")},
        {QStringLiteral("BITMAP_RESTORE"), QStringLiteral("Restore")},
        {QStringLiteral("BITMAP_EXIT"), QStringLiteral("Exit")},
        {QStringLiteral("BITMAP_STEP1UNCHECKED"),
         QStringLiteral("Step 1: To Do - Drag & Drop a Picture to Here")},
        {QStringLiteral("BITMAP_STEP1CHECKED"),
         QStringLiteral("Step 1: Done - Drag & Drop a Picture to Here")},
        {QStringLiteral("BITMAP_STEP2UNCHECKED"),
         QStringLiteral("Step 2: To Do - Drag & Drop an Audio File to Here")},
        {QStringLiteral("BITMAP_STEP2CHECKED"),
         QStringLiteral("Step 2: Done - Drag & Drop an Audio File to Here")},
        {QStringLiteral("BITMAP_STEP3UNCHECKED"),
         QStringLiteral("Step 3: To Do - Click here for Optional Text")},
        {QStringLiteral("BITMAP_STEP3CHECKED"),
         QStringLiteral("Step 3: Done - Click here for Optional Text")},
        {QStringLiteral("BITMAP_PLAY"), QStringLiteral("Play")},
        {QStringLiteral("BITMAP_PAUSE"), QStringLiteral("Pause")},
        {QStringLiteral("BITMAP_SAVEAS"), QStringLiteral("Save As")},
        {QStringLiteral("BITMAP_CREATEPICTUNE"), QStringLiteral("Create Pictune")},
        {QStringLiteral("BITMAP_OPTIONS"), QStringLiteral("Options")},
        {QStringLiteral("BITMAP_HELP"), QStringLiteral("Help")},
    };
    return names.value(baseName);
}

void SkinButton::paintEvent(QPaintEvent *)
{
    // Moved to a screen of another pixel density: draw the faces again from their vectors.
    if (!m_up.isNull() && !qFuzzyCompare(m_up.devicePixelRatio(), devicePixelRatioF()))
        loadBitmaps(m_baseName);
    const QPixmap pixmap = face(currentFace());
    if (pixmap.isNull())
        return;
    QPainter painter(this);
    const QRect block(QPoint(0, 0), size());
    painter.drawPixmap(block, pixmap,
                       QRectF(QPointF(0, 0), QSizeF(block.size()) * pixmap.devicePixelRatio()));
}

void SkinButton::focusInEvent(QFocusEvent *event)
{
    QAbstractButton::focusInEvent(event);
    update();
}

void SkinButton::focusOutEvent(QFocusEvent *event)
{
    QAbstractButton::focusOutEvent(event);
    update();
}
