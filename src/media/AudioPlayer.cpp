#include "media/AudioPlayer.h"

namespace {

AudioPlayer *thePlayer = nullptr;

} // namespace

AudioPlayer *createAudioPlayer()
{
    delete thePlayer;
    thePlayer = new AudioPlayer;
    return thePlayer;
}

AudioPlayer *theAudioPlayer()
{
    return thePlayer;
}

void destroyAudioPlayer()
{
    delete thePlayer;
}

AudioPlayer::AudioPlayer() = default;

AudioPlayer::~AudioPlayer()
{
    // After the engine's shutdown the handle is already gone: these calls then fail quietly.
    freeStream();
    if (thePlayer == this)
        thePlayer = nullptr;
}

void AudioPlayer::freeStream()
{
    if (!m_stream)
        return;
    rewind();
    AudioLayer::streamFree(m_stream);
    m_stream = 0;
}

bool AudioPlayer::open(const QString &path)
{
    freeStream();
    m_path.clear();
    const AudioLayer::Handle stream = AudioLayer::streamCreateFile(path);
    if (!stream)
        return false;
    AudioLayer::channelSetVolume(stream, m_volume);
    m_stream = stream;
    m_path = path;
    return true;
}

void AudioPlayer::rewind()
{
    AudioLayer::channelStop(m_stream);
    AudioLayer::channelRewind(m_stream);
}
