#pragma once

#include <QString>

class QWidget;

// Start-up, measuring and the play/pause/restart/stop commands of the audio preview. Everything
// here runs on the user-interface thread and returns at once; decoding and output run on threads
// of the audio layer.

inline const QString AudioVersionMessage =
    QStringLiteral("An incorrect version of the audio libraries was loaded");

// Checks the audio libraries, opens the default output device and creates the player. On failure
// shows the message (owned by `mainWindow`) and returns false: the main window then ends with 0.
bool startAudioEngine(QWidget *mainWindow);
// Stops and frees the stream, joins the decoder and closes the device. Safe to call twice; the
// player may be destroyed afterwards.
void shutdownAudioEngine();

// "Sorry, but the audio device could not be initialized.  Error was: ..." for a start-up error
// code; codes without a text of their own leave the detail empty.
QString audioStartupFailureText(int errorCode);

// The decoded length of an audio file in seconds. False (duration unchanged) for a path of 4 bytes
// or fewer, a file that cannot be opened, one without an audio stream, or one where nothing
// decodes. Never touches what the player is playing and never shows a message.
bool measureAudioFile(const QString &path, double &duration);

// "h:mm:ss.mmm" with unpadded, unlimited hours: 83.5 gives "0:01:23.500".
QString formatDuration(double seconds);

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
};

// Opens `path` first unless it is empty, then plays the player's stream from where it stands.
// Failure (or no stream) clears the playing flag and keeps the buttons.
AudioTransport playAudio(const QString &path);
// Pauses the stream if there is one; shows the play button in every case.
AudioTransport pauseAudio();
// Plays the stream again from its start; with no stream nothing changes.
AudioTransport restartAudio();
// Stops the stream at its start; with no stream nothing changes.
AudioTransport stopAudio();

// Applies a command's result to the window's play and pause buttons and its flags.
void applyAudioTransport(const AudioTransport &transport, QWidget *playButton,
                         QWidget *pauseButton, bool &playing, bool &menuOpen);
