#pragma once

#include "dialogs/CaptionPreview.h"
#include "model/CaptionSettings.h"
#include "widgets/DialogFont.h"

#include <QDialog>
#include <QTimer>

#include <memory>

class PlacementLamp;
class DialogToolTips;
class ColorButton;
class FontComboBox;
class CaptionTextEdit;
class QCheckBox;
class RangedNumberEdit;

// The caption dialog: text, font, size, color, placement and shadow. Every change is reported
// to the owner (a CaptionPreviewTarget) so the picture shows the caption as the controls show it;
// OK copies the controls into the owner's record, Cancel leaves it alone. exec() returns 1 for
// OK and 2 for Cancel (the close box included); Escape does nothing.
//
// The owner's drop target keeps accepting files while this dialog is open: the dialog carries
// the dynamic property "allowsMainWindowDrops" = true.
class CaptionDialog : public QDialog, public CaptionPreviewSource
{
    Q_OBJECT

public:
    enum Control {
        IDC_FONT = 1900,
        IDC_POINT_SIZE = 1901,
        IDC_TEXT_COLOR = 1902,
        IDC_TEXT = 1903,
        IDC_X_POS = 1904,
        IDC_Y_POS = 1905,
        IDC_PLACEMENT_FIRST = 1906, // 1906..1914: placements 0..8
        IDC_PLACEMENT_LAST = 1914,
        IDC_SHADOW = 1915,
        IDC_SHADOW_COLOR = 1916,
        IDC_SHADOW_X = 1917,
        IDC_SHADOW_Y = 1918,
        IDC_SHADOW_COLOR_LABEL = 1919,
        IDC_SHADOW_X_LABEL = 1920,
        IDC_SHADOW_Y_LABEL = 1921,
    };
    enum Result { ResultOk = 1, ResultCancel = 2 };
    static constexpr int TemplateId = 204;
    static constexpr int CheckIntervalMs = 200;

    // positionX/positionY: where the dialog stood when it last closed, -1 before the first
    // opening; written when the dialog ends. settings: read now, written by OK.
    CaptionDialog(int *positionX, int *positionY, CaptionSettings *settings, QWidget *owner);
    ~CaptionDialog() override;

    // CaptionPreviewSource
    void readControls(CaptionSettings &settings) const override;
    CaptionSettings &workingSettings() override { return m_workingSettings; }

    // Shows placement i (0..8) and turns the other boxes off; anything else changes nothing.
    void selectPlacement(int placement);

    bool isCheckTimerActive() const { return m_checkTimer.isActive(); }

public slots:
    void accept() override;
    void reject() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void fillControls();
    void placeDialog();
    void applyShadowState(bool on);
    // Reports the controls to the owner (WM_TEXT_PREVIEW); nothing once the dialog has ended.
    void sendCaptionPreview();
    void reportIfChanged(int controlId);
    void onCheckTimer();
    void onPlacementClicked(int controlId, int state);
    void onColorChanged();
    void onShadowClicked(bool checked);

    int *m_positionX;
    int *m_positionY;
    CaptionSettings *m_settings;
    CaptionSettings m_workingSettings;
    DialogFontState m_fontState;
    std::unique_ptr<DialogToolTips> m_toolTips;
    QTimer m_checkTimer;
    bool m_opened = false;
    bool m_ended = false;

    FontComboBox *m_fontBox = nullptr;
    RangedNumberEdit *m_pointSize = nullptr;
    ColorButton *m_textColor = nullptr;
    CaptionTextEdit *m_text = nullptr;
    RangedNumberEdit *m_xPos = nullptr;
    RangedNumberEdit *m_yPos = nullptr;
    PlacementLamp *m_placements[9] = {};
    QCheckBox *m_shadow = nullptr;
    ColorButton *m_shadowColor = nullptr;
    RangedNumberEdit *m_shadowX = nullptr;
    RangedNumberEdit *m_shadowY = nullptr;
};
