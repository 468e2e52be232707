#include "mainwindow/AudioStep.h"

#include "media/AudioLength.h"
#include "media/AudioPreview.h"
#include "media/AudioTransport.h"
#include "media/SongCoverReader.h"

#include <QFile>
#include <QWidget>

AudioStep::AudioStep(QWidget *playButton, QWidget *pauseButton, QObject *parent)
    : QObject(parent)
    , m_playButton(playButton)
    , m_pauseButton(pauseButton)
    , m_player(std::make_unique<AudioPreview>())
    , m_measurer(new AudioLengthMeasurer(this))
    , m_coverReader(new SongCoverReader(this))
{
    connect(m_measurer, &AudioLengthMeasurer::measured, this, &AudioStep::measured);
    connect(m_coverReader, &SongCoverReader::songRead, this, &AudioStep::takeSongInfo);
}

AudioStep::~AudioStep() = default;

QString AudioStep::start()
{
    return m_player->start();
}

void AudioStep::shutdown()
{
    m_player->shutdown();
}

void AudioStep::take(const QString &path)
{
    m_path = path;
    m_tags = {};
    m_tagsRead = false;
    m_coverReader->read(path);
    m_length = {};
    const QString dropped = m_measurer->path();
    m_measurer->cancel();
    // A canceled measuring never reports: whoever waits for it hears so now.
    if (!dropped.isEmpty())
        emit measuringDropped(dropped);
    if (path.isEmpty())
        return;
    if (m_player->path() != path)
        m_player->open(path);
    m_measurer->measure(path);
}

void AudioStep::measured(const QString &path, AudioLengthResult result)
{
    if (path != m_path)
        return;
    if (result.status == AudioLengthResult::Measured)
        m_length = result;
    emit lengthMeasured(path, result);
}

void AudioStep::takeSongInfo(const SongInfo &info)
{
    if (info.songPath != m_path) {
        if (!info.coverPath.isEmpty())
            QFile::remove(info.coverPath);
        return;
    }
    m_tags = info.tags;
    m_tagsRead = true;
    emit songRead(info);
}

void AudioStep::preview(const QString &path)
{
    play(path);
    enableButtons(true);
}

void AudioStep::endPreview()
{
    pause();
    const bool haveSong = !m_path.isEmpty();
    enableButtons(haveSong);
    if (haveSong && m_path != m_player->path())
        m_player->open(m_path);
}

void AudioStep::enableButtons(bool enabled)
{
    m_playButton->setEnabled(enabled);
    m_pauseButton->setEnabled(enabled);
}

void AudioStep::apply(const AudioTransport &transport)
{
    if (transport.buttons != AudioTransport::KeepButtons) {
        const bool showPause = transport.buttons == AudioTransport::ShowPauseButton;
        m_pauseButton->setVisible(showPause);
        m_playButton->setVisible(!showPause);
    }
    if (transport.playing != AudioTransport::KeepFlag)
        m_playing = transport.playing == AudioTransport::SetPlaying;
    if (transport.clearMenuOpen)
        emit menuCommandDone();
}

void AudioStep::play(const QString &path)
{
    apply(m_player->play(path));
}

void AudioStep::resume()
{
    play(QString());
}

void AudioStep::pause()
{
    apply(m_player->pause());
}

void AudioStep::restart()
{
    apply(m_player->restart());
}

void AudioStep::stop()
{
    apply(m_player->stop());
}
