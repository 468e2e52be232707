#pragma once

#include "dialogs/CaptionPreview.h"
#include "media/SongTags.h"
#include "model/CaptionSettings.h"
#include "widgets/TemplateDialog.h"

#include <QFutureWatcher>
#include <QList>
#include <QMargins>
#include <QTimer>

class CaptionTextEdit;
class ColorButton;
class FontComboBox;
class PlacementLamp;
class QAbstractButton;
class QCheckBox;
class RangedNumberEdit;

// The caption dialog: text, font, size, color, placement and shadow. Every change is reported
// to the owner (a CaptionPreviewTarget) so the picture shows the caption as the controls show it;
// OK copies the controls into the owner's record, Cancel leaves it alone. exec() returns 1 for
// OK and 2 for Cancel (the close box included); Escape does nothing.
//
// The owner's drop target keeps accepting files while this dialog is open: the dialog carries
// the dynamic property "allowsMainWindowDrops" = true.
class CaptionDialog : public TemplateDialog, public CaptionPreviewSource
{
    Q_OBJECT

public:
    // The controls' ids in the dialog's template.
    enum Control {
        OkButton = 1,
        CancelButton = 2,
        FontCombo = 1900,
        PointSizeEdit = 1901,
        TextColorButton = 1902,
        TextField = 1903,
        XPositionEdit = 1904,
        YPositionEdit = 1905,
        FirstPlacementLamp = 1906, // placements 0..8, row by row from the top left
        LastPlacementLamp = 1914,
        ShadowCheckBox = 1915,
        ShadowColorButton = 1916,
        ShadowXEdit = 1917,
        ShadowYEdit = 1918,
        ShadowColorLabel = 1919,
        ShadowXLabel = 1920,
        ShadowYLabel = 1921,
        SongTagsButton = 1922,
    };
    enum Result { ResultOk = 1, ResultCancel = 2 };
    static constexpr int CheckIntervalMs = 200;

    // positionX/positionY: where the dialog stood when it last closed, -1 before the first
    // opening; written when the dialog ends. settings: read now, written by OK.
    CaptionDialog(int *positionX, int *positionY, CaptionSettings *settings, QWidget *owner);

    // CaptionPreviewSource
    void readControls(CaptionSettings &settings) const override;
    CaptionSettings &workingSettings() override { return m_workingSettings; }

    // Shows placement i (0..8) and turns the other boxes off; anything else changes nothing.
    void selectPlacement(int placement);

    bool isCheckTimerActive() const { return m_checkTimer.isActive(); }

    // The song whose tags "From the song's tags" offers: without a song, or until its tags are
    // read (tags null), the button is off.
    void setSongTags(const QString &songPath, const SongTags *tags);
    // The button's command: the text becomes the tags' caption, or a message says there is none.
    void fillFromSongTags();

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
    // Puts the window's frame (title bar included) where the owner's position says, or where
    // the first-position rule puts a frame of this size.
    void placeDialog();
    QMargins frameMargins() const;
    void applyShadowState(bool on);
    // Asks the owner to draw the controls; nothing once the dialog has ended.
    void sendCaptionPreview();
    void reportIfChanged(int controlId);
    void onCheckTimer();
    void onPlacementClicked(int controlId);
    void onColorChanged();
    void onShadowClicked(bool checked);
    // True when the characters of settings' text that no font has are known (m_missing); else
    // has them found off the window's thread and calls accept() again once they are.
    bool charactersChecked(const CaptionSettings &settings);

    int *m_positionX;
    int *m_positionY;
    CaptionSettings *m_settings;
    CaptionSettings m_workingSettings;
    QTimer m_checkTimer;
    QFutureWatcher<QList<char32_t>> *m_missingCheck = nullptr;
    bool m_acceptWhenChecked = false;
    bool m_charactersKnown = false;
    QString m_checkedFont;
    QString m_checkedText;
    QList<char32_t> m_missing;
    bool m_opened = false;
    bool m_ended = false;
    // Placed before the window manager had framed the window: the frame assumed, to place it
    // again once the real one is known; whether the first position was worked out this time.
    bool m_awaitingFrame = false;
    bool m_firstPlacement = false;
    QMargins m_assumedFrame;

    FontComboBox *m_fontBox = nullptr;
    RangedNumberEdit *m_pointSize = nullptr;
    ColorButton *m_textColor = nullptr;
    CaptionTextEdit *m_text = nullptr;
    RangedNumberEdit *m_xPos = nullptr;
    RangedNumberEdit *m_yPos = nullptr;
    PlacementLamp *m_placements[9] = {};
    QCheckBox *m_shadow = nullptr;
    QAbstractButton *m_songTagsButton = nullptr;
    QString m_songPath;
    SongTags m_songTags;
    ColorButton *m_shadowColor = nullptr;
    RangedNumberEdit *m_shadowX = nullptr;
    RangedNumberEdit *m_shadowY = nullptr;
};
