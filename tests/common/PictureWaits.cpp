#include "PictureWaits.h"

#include "widgets/MessageBox.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PictureStep.h"
#include "model/PicturePreparation.h"

#include <QSignalSpy>
#include <QTest>

namespace TestSupport {

PictureResult finishPicture(PicturePreparation &preparation, const std::function<void()> &start, int timeoutMs)
{
    PictureResult result;
    bool ended = false;
    QSignalSpy spy(&preparation, &PicturePreparation::finished);
    const QMetaObject::Connection connection
        = QObject::connect(&preparation, &PicturePreparation::finished, [&](const PictureResult &r) {
              result = r;
              ended = true;
          });
    start();
    if (!ended)
        spy.wait(timeoutMs);
    QObject::disconnect(connection);
    if (!ended) {
        result.problem.kind = PictureProblem::Kind::Failed;
        return result;
    }
    if (const QString text = pictureProblemMessage(result.problem); !text.isEmpty())
        MessageBox::information(nullptr, text);
    return result;
}

bool preparePicture(PicturePreparation &preparation, const QString &path, const CaptionSettings *caption)
{
    return finishPicture(preparation, [&] { preparation.setSourcePicture(path, caption); }).succeeded();
}

bool renderCaption(PicturePreparation &preparation, const CaptionSettings &settings)
{
    return finishPicture(preparation, [&] { preparation.renderText(settings); }).succeeded();
}

bool waitForPictureStep(MainWindow *window, int timeoutMs)
{
    PictureStep *step = window->pictureStep();
    if (!step->isPreparing())
        return true;
    QSignalSpy settled(step, &PictureStep::settled);
    return settled.wait(timeoutMs);
}

bool waitForCaptionPreview(MainWindow *window, const QString &text, int timeoutMs)
{
    PicturePreparation &picture = window->picture();
    return QTest::qWaitFor([&] {
        return !window->pictureStep()->isPreparing() && picture.state() == PicturePreparation::State::WithText
            && picture.withTextSettings().text == text;
    }, timeoutMs);
}

bool runCaptionDialog(MainWindow *window, int timeoutMs)
{
    QSignalSpy ended(window, &MainWindow::captionDialogEnded);
    window->openCaptionDialog();
    return !ended.isEmpty() || ended.wait(timeoutMs);
}

} // namespace TestSupport
