#include "CreateFlow.h"

#include "OutputPath.h"
#include "PictureStep.h"
#include "base/AppSettings.h"
#include "base/TargetSizeTable.h"
#include "dialogs/PictuneBuild.h"
#include "mainwindow/AudioStep.h"

#include <QApplication>
#include <QWidget>

CreateFlow::CreateFlow(QWidget *window, AudioStep &audio, OutputPath &output, PictureStep &picture)
    : QObject(window)
    , m_window(window)
    , m_audio(audio)
    , m_output(output)
    , m_picture(picture)
{
    connect(&m_audio, &AudioStep::measuringDropped, this, [this](const QString &path) {
        if (path == m_waitsFor)
            endWait();
    });
}

CreateFlow::~CreateFlow()
{
    // Also when the window goes while a Create waits: the wait cursor must not outlive it.
    endWait();
}

void CreateFlow::create()
{
    // A Create already waits for the song's length: a second click adds nothing.
    if (isWaiting())
        return;
    if (m_audio.isMeasuring()) {
        // The build goes on once the length is in (songMeasured); a song that turns out unusable
        // is gone by then, and the user has read why.
        m_waitsFor = m_audio.path();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    build();
}

void CreateFlow::songMeasured(const QString &path)
{
    if (path != m_waitsFor)
        return;
    endWait();
    // Unless the song was let go meanwhile.
    if (m_audio.path() == path)
        build();
}

void CreateFlow::endWait()
{
    if (m_waitsFor.isEmpty())
        return;
    m_waitsFor.clear();
    QApplication::restoreOverrideCursor();
}

void CreateFlow::build()
{
    const QString song = m_audio.path();
    const double duration = m_audio.duration();
    const QString picturePath = m_picture.preparation().currentPicturePath();
    if (!m_output.confirmBuild(picturePath, song, duration))
        return;
    m_audio.stop();
    const AppSettings &settings = AppSettings::instance();
    const VideoBuildRequest request{settings.encoderPath(), picturePath, song, duration,
                                    m_output.path(), TargetSizeTable::instance().current().size(),
                                    m_audio.readLimit()};
    m_building = true;
    const BuildOutcome outcome = buildPictune(m_window, request, settings.playerPath());
    m_building = false;
    m_output.buildEnded(outcome == BuildOutcome::Canceled);
}
