#pragma once

#include <QObject>
#include <QString>

class AudioStep;
class OutputPath;
class PictureStep;
class QWidget;

// What Create sets going: when the song is still being measured it waits (wait cursor) for the
// length, then checks the output path and runs the build dialog. While the build runs the window
// must not close.
class CreateFlow : public QObject
{
    Q_OBJECT

public:
    CreateFlow(QWidget *window, AudioStep &audio, OutputPath &output, PictureStep &picture);
    ~CreateFlow() override;

    void create();
    // The window has dealt with the song's measured length; a Create that waited for it goes on.
    void songMeasured(const QString &path);
    // Create no longer waits for the song's length (no-op when it does not).
    void endWait();
    bool isWaiting() const { return !m_waitsFor.isEmpty(); }
    bool isBuilding() const { return m_building; }

private:
    // Create's work once the song's length is known: the checks, then the build dialog.
    void build();

    QWidget *m_window;
    AudioStep &m_audio;
    OutputPath &m_output;
    PictureStep &m_picture;
    // The song whose length a Create waits for; empty when none waits.
    QString m_waitsFor;
    bool m_building = false;
};
