#pragma once

class QWidget;

// What the main window does after a play/pause/restart/stop command: which of its two stacked
// buttons to show (play 1112 or pause 1113), its playing flag, and whether the command counts as
// a menu command (which clears the window's menu-open flag).
struct AudioTransport
{
    enum Buttons { KeepButtons, ShowPlayButton, ShowPauseButton };
    enum Flag { KeepFlag, SetPlaying, ClearPlaying };

    Buttons buttons = KeepButtons;
    Flag playing = KeepFlag;
    bool clearMenuOpen = false;

    bool operator==(const AudioTransport &o) const
    {
        return buttons == o.buttons && playing == o.playing && clearMenuOpen == o.clearMenuOpen;
    }

    // Shows the play or the pause button and updates the window's flags as decided.
    void apply(QWidget *playButton, QWidget *pauseButton, bool &isPlaying, bool &isMenuOpen) const;
};
