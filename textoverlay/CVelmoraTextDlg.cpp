#include "textoverlay/CVelmoraTextDlg.h"

#include "app/MessageBox.h"
#include "controls/CCheckSK.h"
#include "controls/CCreateToolTips.h"
#include "controls/CCustomColorButton.h"
#include "controls/CCustomComboBox.h"
#include "controls/CScrollEdit.h"
#include "controls/DialogTemplate.h"
#include "pipeline/FontList.h"
#include "textoverlay/TextDialogRules.h"
#include "textoverlay/VLEditNegative.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QSignalBlocker>

namespace {

// Wayland compositors place windows themselves and ignore positions asked for by programs.
bool WindowSystemPlacesWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

CVelmoraTextDlg::CVelmoraTextDlg(int *positionX, int *positionY, TextSettings *settings,
                                 QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_positionX(positionX)
    , m_positionY(positionY)
    , m_settings(settings)
    , m_toolTips(std::make_unique<CCreateToolTips>())
{
    setProperty("allowsMainWindowDrops", true);
    CreateControls();
    ApplyDialogFont(this, TemplateId, 96.0, m_fontState);
    setFixedSize(size());

    for (int i = 0; i < 9; ++i)
        m_placements[i]->AddToolTip(PlacementLabel(i));
    m_toolTips->CreateTips(TemplateId, this);

    FillControls();

    connect(m_fontBox, &QComboBox::activated, this, [this] { ReportIfChanged(IDC_FONT); });
    for (VLEditNegative *edit : {m_pointSize, m_xPos, m_yPos, m_shadowX, m_shadowY})
        connect(edit, &VLEdit::keyReleased, this, &CVelmoraTextDlg::ReportIfChanged);
    connect(m_text, &CScrollEdit::keyReleased, this, &CVelmoraTextDlg::ReportIfChanged);
    for (CCustomColorButton *button : {m_textColour, m_shadowColour})
        connect(button, &CCustomColorButton::colorChanged, this, &CVelmoraTextDlg::OnColourChanged);
    for (CCheckSK *box : m_placements)
        connect(box, &CCheckSK::checkChanged, this, &CVelmoraTextDlg::OnPlacementClicked);
    connect(m_shadow, &QCheckBox::clicked, this, &CVelmoraTextDlg::OnShadowClicked);
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_fontBox, m_pointSize, m_text, m_xPos, m_yPos, m_shadowX, m_shadowY})
        control->installEventFilter(this);

    connect(DialogControlAs<QAbstractButton>(this, ResultOk), &QAbstractButton::clicked, this,
            &CVelmoraTextDlg::accept);
    connect(DialogControlAs<QAbstractButton>(this, ResultCancel), &QAbstractButton::clicked,
            this, &CVelmoraTextDlg::reject);

    m_checkTimer.setInterval(CheckIntervalMs);
    connect(&m_checkTimer, &QTimer::timeout, this, &CVelmoraTextDlg::OnCheckTimer);
}

CVelmoraTextDlg::~CVelmoraTextDlg()
{
    RestoreDialogFont(m_fontState);
}

void CVelmoraTextDlg::CreateControls()
{
    const auto numberEdit = [](int minimum, int maximum) -> ControlFactory {
        return [minimum, maximum](const DialogControlTemplate &, QWidget *parent) {
            return new VLEditNegative(minimum, maximum, parent);
        };
    };
    const auto colourButton = [](const DialogControlTemplate &, QWidget *parent) -> QWidget * {
        return new CCustomColorButton(parent);
    };
    ControlFactories factories;
    factories.insert(IDC_FONT, [](const DialogControlTemplate &, QWidget *parent) {
        return new CCustomComboBox(parent);
    });
    factories.insert(IDC_POINT_SIZE, numberEdit(1, 400));
    factories.insert(IDC_TEXT_COLOR, colourButton);
    factories.insert(IDC_TEXT, [](const DialogControlTemplate &, QWidget *parent) {
        return new CScrollEdit(parent);
    });
    factories.insert(IDC_X_POS, numberEdit(-400, 400));
    factories.insert(IDC_Y_POS, numberEdit(-400, 400));
    for (int id = IDC_PLACEMENT_FIRST; id <= IDC_PLACEMENT_LAST; ++id) {
        factories.insert(id, [](const DialogControlTemplate &, QWidget *parent) {
            return new CCheckSK(QString(), parent);
        });
    }
    factories.insert(IDC_SHADOW_COLOR, colourButton);
    factories.insert(IDC_SHADOW_X, numberEdit(-200, 200));
    factories.insert(IDC_SHADOW_Y, numberEdit(-200, 200));
    CreateDialogControls(this, TemplateId, factories);

    m_fontBox = DialogControlAs<CCustomComboBox>(this, IDC_FONT);
    m_pointSize = DialogControlAs<VLEditNegative>(this, IDC_POINT_SIZE);
    m_textColour = DialogControlAs<CCustomColorButton>(this, IDC_TEXT_COLOR);
    m_text = DialogControlAs<CScrollEdit>(this, IDC_TEXT);
    m_xPos = DialogControlAs<VLEditNegative>(this, IDC_X_POS);
    m_yPos = DialogControlAs<VLEditNegative>(this, IDC_Y_POS);
    for (int i = 0; i < 9; ++i)
        m_placements[i] = DialogControlAs<CCheckSK>(this, IDC_PLACEMENT_FIRST + i);
    m_shadow = DialogControlAs<QCheckBox>(this, IDC_SHADOW);
    m_shadowColour = DialogControlAs<CCustomColorButton>(this, IDC_SHADOW_COLOR);
    m_shadowX = DialogControlAs<VLEditNegative>(this, IDC_SHADOW_X);
    m_shadowY = DialogControlAs<VLEditNegative>(this, IDC_SHADOW_Y);

    // The template's line break ends the intro's first line; nothing else may wrap it.
    for (QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
    }

    m_fontBox->setAccessibleName(QStringLiteral("Font"));
    m_pointSize->setAccessibleName(QStringLiteral("Point Size"));
    m_textColour->setAccessibleName(QStringLiteral("Text Color"));
    m_text->setAccessibleName(QStringLiteral("Text"));
    m_xPos->setAccessibleName(QStringLiteral("X Position"));
    m_yPos->setAccessibleName(QStringLiteral("Y Position"));
    m_shadowColour->setAccessibleName(QStringLiteral("Shadow Color"));
    m_shadowX->setAccessibleName(QStringLiteral("Shadow X Offset"));
    m_shadowY->setAccessibleName(QStringLiteral("Shadow Y Offset"));
}

void CVelmoraTextDlg::FillControls()
{
    const TextSettings &settings = *m_settings;

    {
        const QSignalBlocker blocker(m_fontBox);
        QStringList fonts = FontNameList();
        // Without a font list the caption's own font is the only choice, never an empty name.
        if (fonts.isEmpty() && !settings.fontName.isEmpty())
            fonts.append(settings.fontName);
        m_fontBox->clear();
        m_fontBox->addItems(fonts);
        m_fontBox->setCurrentIndex(TextDialogRules::FontIndexFor(fonts, settings.fontName));
    }

    // The numeric edits keep their own range check running while they are filled.
    m_pointSize->setText(QString::number(settings.pointSize));
    {
        const QSignalBlocker blocker(m_textColour);
        m_textColour->setColorRef(settings.textColor);
    }
    {
        const QSignalBlocker blocker(m_text);
        m_text->UpdateScrollBars(settings.text);
        m_text->setPlainText(settings.text);
    }
    m_xPos->setText(QString::number(settings.xPosition));
    m_yPos->setText(QString::number(settings.yPosition));
    SelectPlacement(settings.placement);
    {
        const QSignalBlocker blocker(m_shadow);
        m_shadow->setChecked(settings.shadowOn == 1);
    }
    ApplyShadowState(settings.shadowOn == 1);
    {
        const QSignalBlocker blocker(m_shadowColour);
        m_shadowColour->setColorRef(settings.shadowColor);
    }
    m_shadowX->setText(QString::number(settings.shadowXOffset));
    m_shadowY->setText(QString::number(settings.shadowYOffset));
}

void CVelmoraTextDlg::ReadControls(TextSettings &settings) const
{
    settings.fontName = m_fontBox->currentText();
    settings.pointSize = VLEditNegative::ParseValue(m_pointSize->text());
    settings.textColor = m_textColour->colorRef();
    settings.text = m_text->toPlainText();
    settings.xPosition = VLEditNegative::ParseValue(m_xPos->text());
    settings.yPosition = VLEditNegative::ParseValue(m_yPos->text());
    settings.placement = 0;
    for (int i = 0; i < 9; ++i) {
        if (m_placements[i]->isOn()) {
            settings.placement = i;
            break;
        }
    }
    settings.shadowOn = m_shadow->isChecked() ? 1 : 0;
    settings.shadowColor = m_shadowColour->colorRef();
    settings.shadowXOffset = VLEditNegative::ParseValue(m_shadowX->text());
    settings.shadowYOffset = VLEditNegative::ParseValue(m_shadowY->text());
}

void CVelmoraTextDlg::SelectPlacement(int placement)
{
    if (static_cast<unsigned>(placement) > 8)
        return;
    for (int i = 0; i < 9; ++i) {
        const QSignalBlocker blocker(m_placements[i]);
        m_placements[i]->setOn(i == placement);
    }
}

void CVelmoraTextDlg::ApplyShadowState(bool on)
{
    for (int id : {IDC_SHADOW_COLOR, IDC_SHADOW_X, IDC_SHADOW_Y, IDC_SHADOW_COLOR_LABEL,
                   IDC_SHADOW_X_LABEL, IDC_SHADOW_Y_LABEL}) {
        if (QWidget *control = DialogControl(this, id))
            control->setEnabled(on);
    }
    m_shadowColour->update();
}

void CVelmoraTextDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    PlaceDialog();
    // The first drawing waits for the image tool; run it once the window is on screen.
    QMetaObject::invokeMethod(this, [this] {
        if (m_ended)
            return;
        SendTextPreview();
        if (!m_ended)
            m_checkTimer.start();
    }, Qt::QueuedConnection);
}

void CVelmoraTextDlg::PlaceDialog()
{
    if (!WindowSystemPlacesWindows() || !m_positionX || !m_positionY)
        return;
    if (*m_positionX == -1 || *m_positionY == -1) {
        const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
        if (!owner)
            return;
        const QScreen *screen = owner->screen();
        const QRect desktop = screen ? screen->geometry() : QRect();
        const QPoint first = TextDialogRules::FirstPosition(frameGeometry(),
                                                            owner->frameGeometry(), desktop);
        *m_positionX = first.x();
        *m_positionY = first.y();
    }
    move(*m_positionX, *m_positionY);
}

void CVelmoraTextDlg::SendTextPreview()
{
    if (m_ended)
        return;
    if (auto *target = dynamic_cast<TextPreviewTarget *>(parentWidget()))
        target->TextPreview(this);
}

void CVelmoraTextDlg::ReportIfChanged(int controlId)
{
    const TextSettings &working = m_workingSettings;
    bool changed = false;
    switch (controlId) {
    case IDC_FONT:
        changed = m_fontBox->currentText() != working.fontName;
        break;
    case IDC_POINT_SIZE:
        changed = m_pointSize->value() != working.pointSize;
        break;
    case IDC_X_POS:
        changed = m_xPos->value() != working.xPosition;
        break;
    case IDC_Y_POS:
        changed = m_yPos->value() != working.yPosition;
        break;
    case IDC_SHADOW_X:
        changed = m_shadowX->value() != working.shadowXOffset;
        break;
    case IDC_SHADOW_Y:
        changed = m_shadowY->value() != working.shadowYOffset;
        break;
    case IDC_TEXT: {
        // Blanks typed at either end are left to the timer, so a word is drawn once it is whole.
        const QString trimmed = m_text->toPlainText().trimmed();
        changed = !trimmed.isEmpty() && trimmed != working.text;
        break;
    }
    default:
        return;
    }
    if (changed)
        SendTextPreview();
}

void CVelmoraTextDlg::OnCheckTimer()
{
    TextSettings current;
    ReadControls(current);
    if (current != m_workingSettings)
        SendTextPreview();
}

void CVelmoraTextDlg::OnPlacementClicked(int controlId, int state)
{
    Q_UNUSED(state);
    // A click on the box that is already on turned it off: it goes back on.
    SelectPlacement(controlId - IDC_PLACEMENT_FIRST);
    if (controlId != m_workingSettings.placement + IDC_PLACEMENT_FIRST)
        SendTextPreview();
}

void CVelmoraTextDlg::OnColourChanged()
{
    if (m_textColour->colorRef() != m_workingSettings.textColor
        || m_shadowColour->colorRef() != m_workingSettings.shadowColor)
        SendTextPreview();
}

void CVelmoraTextDlg::OnShadowClicked(bool checked)
{
    ApplyShadowState(checked);
    SendTextPreview();
}

void CVelmoraTextDlg::accept()
{
    TextSettings confirmed;
    ReadControls(confirmed);
    const TextSettingsProblem problem = CheckTextSettings(confirmed);
    if (problem != TextSettingsProblem::None) {
        ShowMessage(this, MessageCaption, MB_OK, TextSettingsProblemMessage(problem));
        if (problem == TextSettingsProblem::NoText) {
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
    ReadControls(*m_settings);
    done(ResultOk);
}

void CVelmoraTextDlg::reject()
{
    done(ResultCancel);
}

void CVelmoraTextDlg::done(int result)
{
    m_checkTimer.stop();
    m_ended = true;
    if (m_opened && WindowSystemPlacesWindows() && m_positionX && m_positionY) {
        *m_positionX = pos().x();
        *m_positionY = pos().y();
    }
    QDialog::done(result);
}

void CVelmoraTextDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CVelmoraTextDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (auto *control = qobject_cast<QWidget *>(watched))
            ReportIfChanged(::ControlId(control));
    }
    return QDialog::eventFilter(watched, event);
}
