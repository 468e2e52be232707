#include "audio/CAudioPlayer.h"

namespace {

CAudioPlayer *thePlayer = nullptr;

} // namespace

CAudioPlayer *CreateAudioPlayer()
{
    delete thePlayer;
    thePlayer = new CAudioPlayer;
    return thePlayer;
}

CAudioPlayer *TheAudioPlayer()
{
    return thePlayer;
}

void DestroyAudioPlayer()
{
    delete thePlayer;
}

CAudioPlayer::CAudioPlayer() = default;

CAudioPlayer::~CAudioPlayer()
{
    // After the engine's shutdown the handle is already gone: these calls then fail quietly.
    freeStream();
    if (thePlayer == this)
        thePlayer = nullptr;
}

void CAudioPlayer::freeStream()
{
    if (!m_stream)
        return;
    Rewind();
    AudioLayer::StreamFree(m_stream);
    m_stream = 0;
}

bool CAudioPlayer::Open(const QString &path)
{
    freeStream();
    m_path.clear();
    const AudioLayer::Handle stream = AudioLayer::StreamCreateFile(path);
    if (!stream)
        return false;
    AudioLayer::ChannelSetVolume(stream, m_volume);
    m_stream = stream;
    m_path = path;
    return true;
}

void CAudioPlayer::Rewind()
{
    AudioLayer::ChannelStop(m_stream);
    AudioLayer::ChannelRewind(m_stream);
}
