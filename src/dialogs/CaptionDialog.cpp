#include "dialogs/CaptionDialog.h"

#include "dialogs/CaptionDialogRules.h"
#include "media/FontCoverage.h"
#include "dialogs/WindowPlacement.h"
#include "media/FontList.h"
#include "widgets/CaptionTextEdit.h"
#include "widgets/ColorButton.h"
#include "widgets/FontComboBox.h"
#include "widgets/MessageBox.h"
#include "widgets/PlacementLamp.h"
#include "widgets/RangedNumberEdit.h"
#include "widgets/WindowMover.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QWindow>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

CaptionDialog::CaptionDialog(int *positionX, int *positionY, CaptionSettings *settings,
                             QWidget *owner)
    : TemplateDialog(DialogId::Caption, owner)
    , m_positionX(positionX)
    , m_positionY(positionY)
    , m_settings(settings)
{
    setProperty("allowsMainWindowDrops", true);
    createControls();

    for (int i = 0; i < 9; ++i)
        m_placements[i]->addToolTip(placementLabel(i));
    attachToolTips();

    fillControls();

    connect(m_fontBox, &QComboBox::activated, this, [this] { reportIfChanged(FontCombo); });
    for (RangedNumberEdit *edit : {m_pointSize, m_xPos, m_yPos, m_shadowX, m_shadowY})
        connect(edit, &SelectAllLineEdit::keyReleased, this, &CaptionDialog::reportIfChanged);
    connect(m_text, &CaptionTextEdit::keyReleased, this, &CaptionDialog::reportIfChanged);
    for (ColorButton *button : {m_textColor, m_shadowColor})
        connect(button, &ColorButton::colorChanged, this, &CaptionDialog::onColorChanged);
    for (PlacementLamp *box : m_placements)
        connect(box, &PlacementLamp::checkChanged, this, &CaptionDialog::onPlacementClicked);
    connect(m_shadow, &QCheckBox::clicked, this, &CaptionDialog::onShadowClicked);
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_fontBox, m_pointSize, m_text, m_xPos, m_yPos, m_shadowX, m_shadowY})
        control->installEventFilter(this);

    connect(controlAs<QAbstractButton>(OkButton), &QAbstractButton::clicked, this,
            &CaptionDialog::accept);
    connect(controlAs<QAbstractButton>(CancelButton), &QAbstractButton::clicked, this,
            &CaptionDialog::reject);
    connect(m_songTagsButton, &QAbstractButton::clicked, this, &CaptionDialog::fillFromSongTags);
    setSongTags(QString(), nullptr);

    m_checkTimer.setInterval(CheckIntervalMs);
    connect(&m_checkTimer, &QTimer::timeout, this, &CaptionDialog::onCheckTimer);
}

void CaptionDialog::createControls()
{
    const auto numberEdit = [](int minimum, int maximum) -> ControlFactory {
        return [minimum, maximum](const DialogControlTemplate &, QWidget *parent) {
            return new RangedNumberEdit(minimum, maximum, parent);
        };
    };
    const auto colorButton = [](const DialogControlTemplate &, QWidget *parent) -> QWidget * {
        return new ColorButton(parent);
    };
    ControlFactories factories;
    factories.insert(FontCombo, [](const DialogControlTemplate &, QWidget *parent) {
        return new FontComboBox(parent);
    });
    factories.insert(PointSizeEdit, numberEdit(1, 400));
    factories.insert(TextColorButton, colorButton);
    factories.insert(TextField, [](const DialogControlTemplate &, QWidget *parent) {
        return new CaptionTextEdit(parent);
    });
    factories.insert(XPositionEdit, numberEdit(-400, 400));
    factories.insert(YPositionEdit, numberEdit(-400, 400));
    for (int id = FirstPlacementLamp; id <= LastPlacementLamp; ++id) {
        factories.insert(id, [](const DialogControlTemplate &, QWidget *parent) {
            return new PlacementLamp(QString(), parent);
        });
    }
    factories.insert(ShadowColorButton, colorButton);
    factories.insert(ShadowXEdit, numberEdit(-200, 200));
    factories.insert(ShadowYEdit, numberEdit(-200, 200));
    buildFixedLayout(factories);

    m_fontBox = controlAs<FontComboBox>(FontCombo);
    m_pointSize = controlAs<RangedNumberEdit>(PointSizeEdit);
    m_textColor = controlAs<ColorButton>(TextColorButton);
    m_text = controlAs<CaptionTextEdit>(TextField);
    m_xPos = controlAs<RangedNumberEdit>(XPositionEdit);
    m_yPos = controlAs<RangedNumberEdit>(YPositionEdit);
    for (int i = 0; i < 9; ++i)
        m_placements[i] = controlAs<PlacementLamp>(FirstPlacementLamp + i);
    m_shadow = controlAs<QCheckBox>(ShadowCheckBox);
    m_shadowColor = controlAs<ColorButton>(ShadowColorButton);
    m_shadowX = controlAs<RangedNumberEdit>(ShadowXEdit);
    m_shadowY = controlAs<RangedNumberEdit>(ShadowYEdit);
    m_songTagsButton = controlAs<QAbstractButton>(SongTagsButton);

    // The template's line break ends the intro's first line; nothing else may wrap it.
    for (QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
    }

    m_fontBox->setAccessibleName(QStringLiteral("Font"));
    m_pointSize->setAccessibleName(QStringLiteral("Point Size"));
    m_textColor->setAccessibleName(QStringLiteral("Text Color"));
    m_text->setAccessibleName(QStringLiteral("Text"));
    m_xPos->setAccessibleName(QStringLiteral("X Position"));
    m_yPos->setAccessibleName(QStringLiteral("Y Position"));
    m_shadowColor->setAccessibleName(QStringLiteral("Shadow Color"));
    m_shadowX->setAccessibleName(QStringLiteral("Shadow X Offset"));
    m_shadowY->setAccessibleName(QStringLiteral("Shadow Y Offset"));
}

void CaptionDialog::fillControls()
{
    const CaptionSettings &settings = *m_settings;

    {
        const QSignalBlocker blocker(m_fontBox);
        QStringList fonts = fontNameList();
        // Without a font list the caption's own font is the only choice, never an empty name.
        if (fonts.isEmpty() && !settings.fontName.isEmpty())
            fonts.append(settings.fontName);
        m_fontBox->clear();
        m_fontBox->addItems(fonts);
        m_fontBox->setCurrentIndex(CaptionDialogRules::fontIndexFor(fonts, settings.fontName));
    }

    // The numeric edits keep their own range check running while they are filled.
    m_pointSize->setText(QString::number(settings.pointSize));
    {
        const QSignalBlocker blocker(m_textColor);
        m_textColor->setColor(QColor(settings.textColor));
    }
    {
        const QSignalBlocker blocker(m_text);
        m_text->updateScrollBars(settings.text);
        m_text->setPlainText(settings.text);
    }
    m_xPos->setText(QString::number(settings.xPosition));
    m_yPos->setText(QString::number(settings.yPosition));
    selectPlacement(settings.placement);
    {
        const QSignalBlocker blocker(m_shadow);
        m_shadow->setChecked(settings.shadowOn);
    }
    applyShadowState(settings.shadowOn);
    {
        const QSignalBlocker blocker(m_shadowColor);
        m_shadowColor->setColor(QColor(settings.shadowColor));
    }
    m_shadowX->setText(QString::number(settings.shadowXOffset));
    m_shadowY->setText(QString::number(settings.shadowYOffset));
}

void CaptionDialog::readControls(CaptionSettings &settings) const
{
    settings.fontName = m_fontBox->currentText();
    settings.pointSize = RangedNumberEdit::parseValue(m_pointSize->text());
    settings.textColor = m_textColor->color().rgb();
    settings.text = m_text->toPlainText();
    settings.xPosition = RangedNumberEdit::parseValue(m_xPos->text());
    settings.yPosition = RangedNumberEdit::parseValue(m_yPos->text());
    settings.placement = 0;
    for (int i = 0; i < 9; ++i) {
        if (m_placements[i]->isOn()) {
            settings.placement = i;
            break;
        }
    }
    settings.shadowOn = m_shadow->isChecked();
    settings.shadowColor = m_shadowColor->color().rgb();
    settings.shadowXOffset = RangedNumberEdit::parseValue(m_shadowX->text());
    settings.shadowYOffset = RangedNumberEdit::parseValue(m_shadowY->text());
}

void CaptionDialog::selectPlacement(int placement)
{
    if (static_cast<unsigned>(placement) > 8)
        return;
    for (int i = 0; i < 9; ++i) {
        const QSignalBlocker blocker(m_placements[i]);
        m_placements[i]->setOn(i == placement);
    }
}

void CaptionDialog::setSongTags(const QString &songPath, const SongTags *tags)
{
    m_songPath = songPath;
    m_songTags = tags ? *tags : SongTags();
    m_songTagsButton->setEnabled(!songPath.isEmpty() && tags);
}

void CaptionDialog::fillFromSongTags()
{
    if (m_ended || !m_songTagsButton->isEnabled())
        return;
    const QString caption = songTagsCaption(m_songTags);
    if (caption.isEmpty()) {
        MessageBox::information(this, QStringLiteral("This Audio File has no Title or Artist tags to use as text:\n\n   %1")
                                          .arg(m_songPath));
        return;
    }
    m_text->updateScrollBars(caption);
    // Through the cursor, so Undo brings back what the user had typed.
    QTextCursor cursor(m_text->document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(caption);
    m_text->setFocus();
    sendCaptionPreview();
}

void CaptionDialog::applyShadowState(bool on)
{
    for (int id : {ShadowColorButton, ShadowXEdit, ShadowYEdit, ShadowColorLabel,
                   ShadowXLabel, ShadowYLabel}) {
        if (QWidget *widget = control(id))
            widget->setEnabled(on);
    }
    m_shadowColor->update();
}

void CaptionDialog::showEvent(QShowEvent *event)
{
    TemplateDialog::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    placeDialog();
    if (windowHandle()) {
        m_awaitingFrame = true;
        windowHandle()->installEventFilter(this);
    }
    // The first drawing waits for the image tool; run it once the window is on screen.
    QMetaObject::invokeMethod(this, [this] {
        if (m_ended)
            return;
        sendCaptionPreview();
        if (!m_ended)
            m_checkTimer.start();
    }, Qt::QueuedConnection);
}

void CaptionDialog::placeDialog()
{
    if (WindowMover::isWayland() || !m_positionX || !m_positionY || !windowHandle())
        return;
    // Until the window manager has framed the window, its frame is the last one seen.
    static QMargins knownFrame;
    const QMargins frame = frameMargins().isNull() ? knownFrame : frameMargins();
    if (*m_positionX == -1 || *m_positionY == -1 || m_firstPlacement) {
        const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
        if (!owner)
            return;
        const QScreen *screen = owner->screen();
        const QRect workArea = screen ? screen->availableGeometry() : QRect();
        const QPoint first = WindowPlacement::besideOwner(geometry().marginsAdded(frame).size(),
                                                          WindowMover::serverFrameGeometry(owner), workArea);
        *m_positionX = first.x();
        *m_positionY = first.y();
        m_firstPlacement = true;
    }
    m_assumedFrame = frame;
    if (!frameMargins().isNull())
        knownFrame = frameMargins();
    // The position stored is the frame's (done() stores it so); the window is placed by its
    // client area, which a window not yet framed is all Qt knows of.
    windowHandle()->setPosition(QPoint(*m_positionX + frame.left(), *m_positionY + frame.top()));
}

QMargins CaptionDialog::frameMargins() const
{
    return windowHandle() ? windowHandle()->frameMargins() : QMargins();
}

void CaptionDialog::sendCaptionPreview()
{
    if (m_ended)
        return;
    if (auto *target = dynamic_cast<CaptionPreviewTarget *>(parentWidget()))
        target->previewCaption(this);
}

void CaptionDialog::reportIfChanged(int controlId)
{
    const CaptionSettings &working = m_workingSettings;
    bool changed = false;
    switch (controlId) {
    case FontCombo:
        changed = m_fontBox->currentText() != working.fontName;
        break;
    case PointSizeEdit:
        changed = m_pointSize->value() != working.pointSize;
        break;
    case XPositionEdit:
        changed = m_xPos->value() != working.xPosition;
        break;
    case YPositionEdit:
        changed = m_yPos->value() != working.yPosition;
        break;
    case ShadowXEdit:
        changed = m_shadowX->value() != working.shadowXOffset;
        break;
    case ShadowYEdit:
        changed = m_shadowY->value() != working.shadowYOffset;
        break;
    case TextField: {
        // Blanks typed at either end are left to the timer, so a word is drawn once it is whole.
        const QString trimmed = m_text->toPlainText().trimmed();
        changed = !trimmed.isEmpty() && trimmed != working.text;
        break;
    }
    default:
        return;
    }
    if (changed)
        sendCaptionPreview();
}

void CaptionDialog::onCheckTimer()
{
    CaptionSettings current;
    readControls(current);
    if (current != m_workingSettings)
        sendCaptionPreview();
}

void CaptionDialog::onPlacementClicked(int controlId)
{
    // A click on the box that is already on turned it off: it goes back on.
    selectPlacement(controlId - FirstPlacementLamp);
    if (controlId != m_workingSettings.placement + FirstPlacementLamp)
        sendCaptionPreview();
}

void CaptionDialog::onColorChanged()
{
    if (m_textColor->color().rgb() != m_workingSettings.textColor
        || m_shadowColor->color().rgb() != m_workingSettings.shadowColor)
        sendCaptionPreview();
}

void CaptionDialog::onShadowClicked(bool checked)
{
    applyShadowState(checked);
    sendCaptionPreview();
}

void CaptionDialog::accept()
{
    CaptionSettings confirmed;
    readControls(confirmed);
    const CaptionProblem problem = checkCaptionSettings(confirmed);
    if (problem != CaptionProblem::None) {
        MessageBox::information(this, captionProblemMessage(problem));
        if (problem == CaptionProblem::NoText) {
            m_text->setFocus();
            m_text->selectAll();
            m_text->ensureCursorVisible();
        } else if (m_shadowX->isEnabled()) {
            m_shadowX->setFocus();
            m_shadowX->selectAll();
        } else {
            // With the shadow off its offsets cannot take the focus: lead the user to the box
            // that makes them editable.
            m_shadow->setFocus();
        }
        return;
    }
    if (!charactersChecked(confirmed))
        return;
    if (!m_missing.isEmpty()) {
        MessageBox::information(this, CaptionDialogRules::missingCharactersMessage(m_missing));
        m_text->setFocus();
        return;
    }
    readControls(*m_settings);
    done(ResultOk);
}

bool CaptionDialog::charactersChecked(const CaptionSettings &settings)
{
    // Latin letters are in every font the tool lists: only other text needs the font files read.
    const QList<uint> characters = settings.text.toUcs4();
    if (fontNameList().isEmpty()
        || std::all_of(characters.cbegin(), characters.cend(), [](uint c) { return c < 0x250; })) {
        m_missing.clear();
        return true;
    }
    if (m_charactersKnown && m_checkedFont == settings.fontName && m_checkedText == settings.text)
        return true;
    m_acceptWhenChecked = true;
    if (m_missingCheck)
        return false;
    m_missingCheck = new QFutureWatcher<QList<char32_t>>(this);
    connect(m_missingCheck, &QFutureWatcher<QList<char32_t>>::finished, this,
            [this, font = settings.fontName, text = settings.text] {
                m_missing = m_missingCheck->result();
                m_missingCheck->deleteLater();
                m_missingCheck = nullptr;
                m_charactersKnown = true;
                m_checkedFont = font;
                m_checkedText = text;
                // OK pressed meanwhile: it goes on (and checks again if the text has changed).
                if (std::exchange(m_acceptWhenChecked, false) && !m_ended)
                    accept();
            });
    m_missingCheck->setFuture(QtConcurrent::run(
        [font = settings.fontName, text = settings.text, names = fontNameList(), files = fontGlyphFiles()] {
            return captionFontPlanFor(font, text, names, files, fontFileCoverage).missing;
        }));
    return false;
}

void CaptionDialog::reject()
{
    done(ResultCancel);
}

void CaptionDialog::done(int result)
{
    m_checkTimer.stop();
    m_ended = true;
    if (m_opened && !WindowMover::isWayland() && m_positionX && m_positionY && windowHandle()) {
        const QPoint frame = windowHandle()->framePosition();
        *m_positionX = frame.x();
        *m_positionY = frame.y();
    }
    TemplateDialog::done(result);
}

void CaptionDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    TemplateDialog::keyPressEvent(event);
}

bool CaptionDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Shown and framed: placed again when the real frame differs from the one assumed.
    if (watched == windowHandle() && event->type() == QEvent::Expose && m_awaitingFrame
        && windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        m_awaitingFrame = false;
        if (frameMargins() != m_assumedFrame)
            placeDialog();
        m_firstPlacement = false;
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        if (auto *control = qobject_cast<QWidget *>(watched))
            reportIfChanged(::controlIdOf(control));
    }
    return TemplateDialog::eventFilter(watched, event);
}
