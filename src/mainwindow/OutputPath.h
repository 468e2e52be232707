#pragma once

#include <QObject>

class QLineEdit;
class QWidget;
struct CreateCheckInput;

// The main window's output path: what Save As chooses, and what Create checks before a build.
// A path the user typed (or the one set at start) asks before an existing video is replaced; one
// chosen with Save As or confirmed once does not, until a build has written it.
class OutputPath : public QObject
{
    Q_OBJECT

public:
    OutputPath(QLineEdit *edit, QWidget *window);

    // MyPictune.<extension> in `folder`.
    void setDefault(const QString &folder, const QString &extension);
    QString path() const;
    bool isTyped() const { return m_typed; }

    // Save As at the path's folder and name, in its format; the format chosen is remembered for
    // the next start.
    void choose();
    // Asks before replacing a typed path's video, then refuses with the reason a build that cannot
    // run. True when the build from these sources may go ahead.
    bool confirmBuild(const QString &picturePath, const QString &audioPath, double audioDuration);
    // After a build that was not canceled, the next one asks before replacing its video.
    void buildEnded(bool canceled);

private:
    CreateCheckInput checkInput(const QString &picturePath, const QString &audioPath,
                                double audioDuration) const;
    void select();

    QLineEdit *m_edit;
    QWidget *m_window;
    bool m_typed = true;
};
