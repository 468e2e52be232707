#pragma once

// What the main window does after a play/pause/restart/stop command: which of its two stacked
// buttons to show (play 1112 or pause 1113), its playing flag, and whether the command counts as
// a menu command (which clears the window's menu-open flag). The window applies it.
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
};
