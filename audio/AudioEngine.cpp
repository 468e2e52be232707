#include "audio/AudioEngine.h"

#include "app/MessageBox.h"
#include "audio/AudioLayer.h"
#include "audio/CAudioPlayer.h"

#include <QFile>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdint>

bool StartAudioEngine(QWidget *mainWindow)
{
    if ((AudioLayer::GetVersion() >> 16) != AudioLayer::Version) {
        ShowMessage(mainWindow, MessageCaption, MB_OK, AudioVersionMessage);
        return false;
    }
    if (!AudioLayer::Init()) {
        ShowMessage(mainWindow, MessageCaption, MB_OK,
                    AudioStartupFailureText(AudioLayer::ErrorGetCode()));
        return false;
    }
    CreateAudioPlayer();
    return true;
}

void ShutdownAudioEngine()
{
    // The layer frees the player's stream with everything else; the player learns it when it
    // is destroyed and its calls fail quietly.
    AudioLayer::Free();
}

QString AudioStartupFailureText(int errorCode)
{
    const char *format = nullptr;
    switch (errorCode) {
    case AudioErrorDevice:
        format = "%d - The device number specified is invalid (is there a sound card on this "
                 "system, and are its drivers installed?)";
        break;
    case AudioErrorAlready:
        format = "%d - The device has already been initialized.";
        break;
    case AudioErrorDriver:
        format = "%d - There is no available device driver - the device may already be in use.";
        break;
    case AudioErrorFormat:
        format = "%d - The specified format is not supported by the device.";
        break;
    case AudioErrorMemory:
        format = "%d - There is insufficient memory.";
        break;
    case AudioErrorNo3D:
        format = "%d - The device has no 3D support.";
        break;
    case AudioErrorUnknown:
        format = "%d - General audio initialization problem.";
        break;
    default:
        break;
    }
    const QString detail = format ? QString::asprintf(format, errorCode) : QString();
    return QStringLiteral("Sorry, but the audio device could not be initialized.  Error was: %1")
        .arg(detail);
}

bool MeasureAudioFile(const QString &path, double &duration)
{
    if (QFile::encodeName(path).size() <= 4)
        return false;
    const AudioLayer::Handle stream = AudioLayer::StreamCreateFile(path);
    if (!stream)
        return false;
    const uint64_t bytes = AudioLayer::ChannelGetLength(stream);
    // No length, or nothing decoded: not a file anyone can play or build a video from.
    const bool ok = bytes != ~uint64_t(0) && bytes > 0;
    if (ok)
        duration = AudioLayer::ChannelBytes2Seconds(stream, bytes);
    AudioLayer::StreamFree(stream);
    return ok;
}

QString FormatDuration(double seconds)
{
    // Every field comes from one count of whole milliseconds, so 2.3 reads .300, not .299.
    long long ms = 0;
    if (std::isfinite(seconds) && seconds > 0)
        ms = std::llround(std::min(seconds, 9.0e15) * 1000.0);
    const long long total = ms / 1000;
    return QString::asprintf("%lld:%02lld:%02lld.%03lld", total / 3600, total / 60 % 60,
                             total % 60, ms % 1000);
}

AudioTransport PlayAudio(const QString &path)
{
    CAudioPlayer *player = TheAudioPlayer();
    AudioTransport result;
    result.playing = AudioTransport::ClearPlaying;
    if (!player)
        return result;
    if (!path.isEmpty() && !player->Open(path))
        return result;
    if (!player->stream() || !AudioLayer::ChannelPlay(player->stream()))
        return result;
    result.buttons = AudioTransport::ShowPauseButton;
    result.playing = AudioTransport::SetPlaying;
    return result;
}

AudioTransport PauseAudio()
{
    CAudioPlayer *player = TheAudioPlayer();
    if (player && player->stream())
        AudioLayer::ChannelPause(player->stream());
    AudioTransport result;
    result.buttons = AudioTransport::ShowPlayButton;
    return result;
}

AudioTransport RestartAudio()
{
    CAudioPlayer *player = TheAudioPlayer();
    if (!player || !player->stream())
        return {};
    player->Rewind();
    AudioLayer::ChannelPlay(player->stream());
    AudioTransport result;
    result.buttons = AudioTransport::ShowPauseButton;
    result.clearMenuOpen = true;
    return result;
}

AudioTransport StopAudio()
{
    CAudioPlayer *player = TheAudioPlayer();
    if (!player || !player->stream())
        return {};
    player->Rewind();
    AudioTransport result;
    result.buttons = AudioTransport::ShowPlayButton;
    result.clearMenuOpen = true;
    return result;
}

void ApplyAudioTransport(const AudioTransport &transport, QWidget *playButton,
                         QWidget *pauseButton, bool &playing, bool &menuOpen)
{
    if (transport.buttons != AudioTransport::KeepButtons) {
        const bool showPause = transport.buttons == AudioTransport::ShowPauseButton;
        if (pauseButton)
            pauseButton->setVisible(showPause);
        if (playButton)
            playButton->setVisible(!showPause);
    }
    if (transport.playing != AudioTransport::KeepFlag)
        playing = transport.playing == AudioTransport::SetPlaying;
    if (transport.clearMenuOpen)
        menuOpen = false;
}
