#include "media/AudioTransport.h"

#include <QWidget>

void AudioTransport::apply(QWidget *playButton, QWidget *pauseButton, bool &isPlaying,
                           bool &isMenuOpen) const
{
    if (buttons != KeepButtons) {
        const bool showPause = buttons == ShowPauseButton;
        if (pauseButton)
            pauseButton->setVisible(showPause);
        if (playButton)
            playButton->setVisible(!showPause);
    }
    if (playing != KeepFlag)
        isPlaying = playing == SetPlaying;
    if (clearMenuOpen)
        isMenuOpen = false;
}
