#include "media/AudioEngine.h"

#include "base/MessageBox.h"
#include "media/AudioLayer.h"
#include "media/AudioPlayer.h"

#include <QFile>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdint>

bool startAudioEngine(QWidget *mainWindow)
{
    if ((AudioLayer::getVersion() >> 16) != AudioLayer::Version) {
        MessageBox::information(mainWindow, AudioVersionMessage);
        return false;
    }
    if (!AudioLayer::init()) {
        MessageBox::information(mainWindow, audioStartupFailureText(AudioLayer::errorGetCode()));
        return false;
    }
    createAudioPlayer();
    return true;
}

void shutdownAudioEngine()
{
    // The layer frees the player's stream with everything else; the player learns it when it
    // is destroyed and its calls fail quietly.
    AudioLayer::shutdown();
}

QString audioStartupFailureText(int errorCode)
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

bool measureAudioFile(const QString &path, double &duration)
{
    if (QFile::encodeName(path).size() <= 4)
        return false;
    const AudioLayer::Handle stream = AudioLayer::streamCreateFile(path);
    if (!stream)
        return false;
    const uint64_t bytes = AudioLayer::channelGetLength(stream);
    // No length, or nothing decoded: not a file anyone can play or build a video from.
    const bool ok = bytes != ~uint64_t(0) && bytes > 0;
    if (ok)
        duration = AudioLayer::channelBytes2Seconds(stream, bytes);
    AudioLayer::streamFree(stream);
    return ok;
}

QString formatDuration(double seconds)
{
    // Every field comes from one count of whole milliseconds, so 2.3 reads .300, not .299.
    long long ms = 0;
    if (std::isfinite(seconds) && seconds > 0)
        ms = std::llround(std::min(seconds, 9.0e15) * 1000.0);
    const long long total = ms / 1000;
    return QString::asprintf("%lld:%02lld:%02lld.%03lld", total / 3600, total / 60 % 60,
                             total % 60, ms % 1000);
}

AudioTransport playAudio(const QString &path)
{
    AudioPlayer *player = theAudioPlayer();
    AudioTransport result;
    result.playing = AudioTransport::ClearPlaying;
    if (!player)
        return result;
    if (!path.isEmpty() && !player->open(path))
        return result;
    if (!player->stream() || !AudioLayer::channelPlay(player->stream()))
        return result;
    result.buttons = AudioTransport::ShowPauseButton;
    result.playing = AudioTransport::SetPlaying;
    return result;
}

AudioTransport pauseAudio()
{
    AudioPlayer *player = theAudioPlayer();
    if (player && player->stream())
        AudioLayer::channelPause(player->stream());
    AudioTransport result;
    result.buttons = AudioTransport::ShowPlayButton;
    return result;
}

AudioTransport restartAudio()
{
    AudioPlayer *player = theAudioPlayer();
    if (!player || !player->stream())
        return {};
    player->rewind();
    AudioLayer::channelPlay(player->stream());
    AudioTransport result;
    result.buttons = AudioTransport::ShowPauseButton;
    result.clearMenuOpen = true;
    return result;
}

AudioTransport stopAudio()
{
    AudioPlayer *player = theAudioPlayer();
    if (!player || !player->stream())
        return {};
    player->rewind();
    AudioTransport result;
    result.buttons = AudioTransport::ShowPlayButton;
    result.clearMenuOpen = true;
    return result;
}

void applyAudioTransport(const AudioTransport &transport, QWidget *playButton,
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
