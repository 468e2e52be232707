#include "MainWindowFixture.h"

#include "app/Application.h"
#include "base/AppSettings.h"
#include "base/IniFile.h"
#include "base/Paths.h"
#include "base/TargetSizeTable.h"
#include "dialogs/CaptionDialog.h"
#include "dialogs/CompletionDialog.h"
#include "dialogs/OpenFileDialog.h"
#include "dialogs/SaveAsDialog.h"
#include "mainwindow/FileDropFilter.h"
#include "mainwindow/MainWindow.h"
#include "media/FontList.h"
#include "model/PicturePreparation.h"
#include "widgets/DialogTemplate.h"
#include "widgets/PictureBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace TestSupport;

namespace {

QString probe(const QString &file, const QString &entries)
{
    return runCommand(ffprobePath(), {"-v", "error", "-show_entries", entries, "-of", "csv=p=0", file}).trimmed();
}

} // namespace

// The main window's steps from start to a built video: the picture, the song, the caption, the
// output path and Create, and the exit question.
class TestMainWindow : public QObject, private MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { createMedia(); }
    void init() { setUpTest(); }
    void cleanup() { tearDownTest(); }

    void roadOfOneVideo();
    void startUpState();
    void rootOutputFolder();
    void createChecks_data();
    void createChecks();
    void exitQuestion();
    void textOnAndOff();
    void textDialogCaptionReachesVideo();
    void pictureDroppedWhileEditingShowsEditedCaption();
    void saveAs();
    void fileDialogLayout_data();
    void fileDialogLayout();
    void applicationRunsTheInitializedWindow();
};

void TestMainWindow::roadOfOneVideo()
{
    auto window = makeWindow();
    QVERIFY(window);

    dropFile(window.get(), m_picture);
    QVERIFY(window->control(MainWindow::Step1Done)->isVisible());
    QCOMPARE(window->picture().sourcePath(), m_picture);

    dropFile(window.get(), m_song);
    QCOMPARE(window->audioPath(), m_song);
    QVERIFY(window->control(MainWindow::Step2Done)->isVisible());
    QVERIFY(window->control(MainWindow::CreateButton)->isEnabled());
    QVERIFY(!window->playing());
    // Measured off the window's thread: the length arrives a moment later.
    QTRY_VERIFY(qAbs(window->audioDuration() - 3.0) < 0.1);

    const QString webm = m_out.path() + "/MyPictune.webm";
    QCOMPARE(window->outputEdit()->text(), webm);

    int completions = 0;
    ModalAnswerer closer([&](QWidget *modal) {
        const bool closed = closeCompletionDialog(modal);
        completions += closed;
        return closed;
    });
    QVERIFY(createAndWait(window.get()));
    QCOMPARE(completions, 1);
    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(probe(webm, "stream=codec_name,width,height"), QStringLiteral("vp8,640,360\nvorbis"));
    QCOMPARE(QGuiApplication::clipboard()->text(), webm);
    QVERIFY(window->outputPathTyped());

    // Key 1 on the window switches to 1280x720 and records it.
    window->setFocus();
    QTest::keyClick(window.get(), Qt::Key_1);
    QCOMPARE(AppSettings::instance().targetSizeIndex(), 0);
    QVERIFY(waitForPictureStep(window.get()));
    QCOMPARE(IniFile::readString(m_sandbox->iniPath(), "Velmora 1", "TargetVideoSize", "x"), QStringLiteral("0"));
    QCOMPARE(window->outputEdit()->text(), webm);   // the digit was not typed

    // A new typed path: no question; the same path again: the replace question.
    const QString mpg = m_out.path() + "/second clip.mpg";
    window->outputEdit()->setText(mpg);
    QVERIFY(createAndWait(window.get()));
    QCOMPARE(completions, 2);
    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(probe(mpg, "stream=codec_name,width,height"), QStringLiteral("mpeg1video,1280,720\nmp2"));

    m_messages->answer = QMessageBox::Yes;
    QVERIFY(createAndWait(window.get()));
    QCOMPARE(m_messages->messages.size(), 1);
    const RecordedMessage question = m_messages->messages.first();
    QCOMPARE(question.caption, QStringLiteral("Create Pictune..."));
    QCOMPARE(question.text, mpg + " already exists.\nDo you want to replace it?");
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QCOMPARE(completions, 3);
}

void TestMainWindow::startUpState()
{
    auto window = makeWindow();
    QVERIFY(window);
    for (int id : {MainWindow::PlayButton, MainWindow::PauseButton, MainWindow::CreateButton})
        QVERIFY(!window->control(id)->isEnabled());
    using W = MainWindow;
    for (int id : {W::Step1Pending, W::Step2Pending, W::Step3Pending, W::PlayButton, W::MinimizeButton,
                   W::MaximizeButton, W::ExitButton})
        QVERIFY2(window->control(id)->isVisible(), qPrintable(QString::number(id)));
    for (int id : {W::Step1Done, W::Step2Done, W::Step3Done, W::PauseButton, W::RestoreButton, W::FocusSink})
        QVERIFY2(!window->control(id)->isVisible(), qPrintable(QString::number(id)));
    const QString canvas = window->blankCanvases().path(2);
    QCOMPARE(window->picture().currentPicturePath(), canvas);
    QVERIFY(isNonEmptyFile(canvas));
    QCOMPARE(window->pictureBox()->pictureSize(), QSize(640, 360));
    QVERIFY(window->outputPathTyped());
    QCOMPARE(window->minimumSize(), window->initialSize());
    QCOMPARE(window->windowTitle(), QStringLiteral("Velmora"));
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);

    // Every temporary picture goes with the window.
    QString folder;
    QVERIFY(getTempFolder(folder));
    dropFile(window.get(), m_picture);
    QVERIFY(!QDir(folder).entryList({"VL_*"}, QDir::Files).isEmpty());
    window.reset();
    QCOMPARE(QDir(folder).entryList({"VL_*"}, QDir::Files), QStringList());
}

void TestMainWindow::rootOutputFolder()
{
    m_sandbox->writeIni(QStringLiteral("[Velmora 1]\nS1=%1\nS2=%2\nS3=%3\nDestinationFolderPath=/\n")
                            .arg(convertPath(), ffmpegPath(), ffplayPath()).toUtf8());
    auto window = makeWindow();
    QVERIFY(window);
    QCOMPARE(window->outputEdit()->text(), QStringLiteral("/MyPictune.webm"));
}

void TestMainWindow::createChecks_data()
{
    QTest::addColumn<QString>("output");     // OUT = the output folder
    QTest::addColumn<QString>("breakWhat");  // picture, audio or nothing
    QTest::addColumn<QString>("message");    // empty: the build runs
    QTest::addColumn<bool>("editFocused");

    const QString ext = "The Save As file path needs to have a \"webm\", \"mpg\" or \"mp4\" file extension.\n\nPlease fix this, and try again, thanks.";
    const QString folder = "The Save As directory does not exist.\n\nPlease fix this, and try again, thanks.";
    QTest::addRow("no extension") << "OUT/clip" << "" << ext << true;
    QTest::addRow("dot only in a folder") << "OUT/my.videos/clip" << "" << ext << true;
    QTest::addRow("other extension") << "OUT/clip.mkv" << "" << ext << true;
    QTest::addRow("picture gone") << "OUT/clip.webm" << "picture"
                                  << "The source Picture can not be found.\n\nPlease fix this, and try again, thanks." << false;
    QTest::addRow("audio gone") << "OUT/clip.webm" << "audio"
                                << "The source Audio File can not be found.\n\nPlease fix this, and try again, thanks." << false;
    QTest::addRow("folder missing") << "OUT/nowhere/clip.webm" << "" << folder << true;
    QTest::addRow("relative path") << "clip.webm" << "" << folder << true;
    QTest::addRow("below a file") << "OUT/file/clip.webm" << "" << folder << true;
    QTest::addRow("upper case extension builds") << "OUT/CLIP.WEBM" << "" << "" << false;
}

void TestMainWindow::createChecks()
{
    QFETCH(QString, output);
    QFETCH(QString, breakWhat);
    QFETCH(QString, message);
    QFETCH(bool, editFocused);

    QTemporaryDir scratch;
    QFile file(scratch.filePath("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    const QString song = scratch.filePath("song.mp3");
    QVERIFY(QFile::copy(m_song, song));

    auto window = makeWindow();
    QVERIFY(window);
    dropFile(window.get(), song);
    QCOMPARE(window->audioPath(), song);
    if (breakWhat == "picture")
        QFile::remove(window->picture().currentPicturePath());
    if (breakWhat == "audio")
        QFile::remove(song);
    output.replace("OUT", scratch.path());
    window->outputEdit()->setText(output);
    window->activateWindow();

    ModalAnswerer closer(closeCompletionDialog);
    QVERIFY(createAndWait(window.get()));
    if (message.isEmpty()) {
        QVERIFY(m_messages->messages.isEmpty());
        QVERIFY(isNonEmptyFile(output));
        return;
    }
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.first().text, message);
    QCOMPARE(m_messages->messages.first().caption, QStringLiteral("Velmora"));
    QCOMPARE(window->outputEdit()->hasFocus(), editFocused);
    if (editFocused)
        QCOMPARE(window->outputEdit()->selectedText(), output);
    QVERIFY(!window->outputPathTyped());
}

void TestMainWindow::exitQuestion()
{
    auto window = makeWindow();
    QVERIFY(window);
    m_messages->answer = QMessageBox::No;
    window->exitWhenConfirmed();
    QVERIFY(window->isVisible());
    QCOMPARE(m_messages->messages.last().text, QStringLiteral("Are you sure you want to exit?"));
    QCOMPARE(m_messages->messages.last().icon, QMessageBox::NoIcon);
    QCOMPARE(m_messages->messages.last().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(m_messages->messages.last().defaultButton, QMessageBox::No);

    // During a build the window refuses to close.
    bool refused = false;
    ModalAnswerer cancelBuild([&](QWidget *modal) {
        if (modal == window.get() || qobject_cast<CompletionDialog *>(modal))
            return false;
        if (!refused) {
            window->exitWhenConfirmed();
            refused = true;
            QMetaObject::invokeMethod(modal, "requestCancel");
        }
        return true;
    });
    dropFile(window.get(), m_song);
    window->outputEdit()->setText(m_out.path() + "/exit.webm");
    QVERIFY(createAndWait(window.get()));
    QVERIFY(refused);
    QCOMPARE(m_messages->messages.at(1).text,
             QStringLiteral("A Pictune is currently being created.  Please Cancel its creation before closing, thanks."));
    QVERIFY(!QFile::exists(m_out.path() + "/exit.webm"));   // a cancelled build leaves nothing

    m_messages->answer = QMessageBox::Yes;
    window->exitWhenConfirmed();
    QVERIFY(!window->isVisible());
}

void TestMainWindow::textOnAndOff()
{
    auto window = makeWindow();
    QVERIFY(window);
    // The step-3 markers: text off shows the plain picture again and keeps the settings.
    window->captionSettings().fontName = "DejaVu-Sans-Bold";
    window->captionSettings().text = "Hello";
    window->picture().setState(PicturePreparation::State::Plain);
    QVERIFY(renderCaption(window->picture(), window->captionSettings()));
    window->picture().setState(PicturePreparation::State::WithText);
    window->captionSettings().textOn = true;
    window->captionOff();
    QCOMPARE(window->captionSettings().textOn, false);
    QCOMPARE(window->captionSettings().text, QStringLiteral("Hello"));
    QCOMPARE(window->picture().currentPicturePath(), window->blankCanvases().currentPath());
    QVERIFY(window->control(MainWindow::Step3Pending)->isVisible());
    QVERIFY(window->dropTarget()->isAttached());
}

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Pixels brighter than grey in the middle third of a picture: the caption's white letters on the
// black canvas.
int brightPixelsInMiddle(const QImage &image)
{
    int bright = 0;
    for (int y = image.height() / 3; y < 2 * image.height() / 3; ++y)
        for (int x = image.width() / 3; x < 2 * image.width() / 3; ++x)
            bright += qGray(image.pixel(x, y)) > 200;
    return bright;
}

} // namespace

void TestMainWindow::textDialogCaptionReachesVideo()
{
    auto window = makeWindow();
    QVERIFY(window);
    const QString withText = window->picture().withTextPath();

    // Cancel after a few previews: settings and picture as before.
    const CaptionSettings before = window->captionSettings();
    QTimer::singleShot(0, this, [&] {
        auto *dialog = window->findChild<CaptionDialog *>();
        QVERIFY(dialog);
        auto *text = dialogControlAs<QPlainTextEdit>(dialog, CaptionDialog::TextField);
        text->setFocus();
        QTest::keyClicks(text, "abc");
        QVERIFY(waitForCaptionPreview(window.get(), text->toPlainText()));
        dialogControlAs<QPushButton>(dialog, CaptionDialog::CancelButton)->click();
    });
    QVERIFY(runCaptionDialog(window.get()));
    QVERIFY(window->captionSettings() == before);
    QCOMPARE(window->captionSettings().textOn, false);
    QCOMPARE(window->picture().currentPicturePath(), window->blankCanvases().currentPath());
    QVERIFY(window->control(MainWindow::Step3Pending)->isVisible());

    // Typing previews in the main window; OK turns the caption on and the video carries it.
    QByteArray firstPreview;
    QByteArray typedPreview;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = window->findChild<CaptionDialog *>();
        QVERIFY(dialog);
        auto *text = dialogControlAs<QPlainTextEdit>(dialog, CaptionDialog::TextField);
        QVERIFY(waitForCaptionPreview(window.get(), text->toPlainText()));
        firstPreview = fileBytes(withText);
        text->selectAll();
        text->setFocus();
        QTest::keyClicks(text, "BIG WORDS");
        QVERIFY(waitForCaptionPreview(window.get(), QStringLiteral("BIG WORDS")));
        typedPreview = fileBytes(withText);
        dialogControlAs<QPushButton>(dialog, CaptionDialog::OkButton)->click();
    });
    QVERIFY(runCaptionDialog(window.get()));
    QVERIFY(!firstPreview.isEmpty());
    QVERIFY(typedPreview != firstPreview);
    QCOMPARE(window->captionSettings().textOn, true);
    QCOMPARE(window->captionSettings().text, QStringLiteral("BIG WORDS"));
    QVERIFY(window->control(MainWindow::Step3Done)->isVisible());
    QCOMPARE(window->picture().currentPicturePath(), withText);

    dropFile(window.get(), m_song);
    const QString video = m_out.path() + "/caption.webm";
    window->outputEdit()->setText(video);
    ModalAnswerer closer(closeCompletionDialog);
    QVERIFY(createAndWait(window.get()));
    QVERIFY(isNonEmptyFile(video));
    const QString frame = m_out.path() + "/frame.png";
    int rc = -1;
    runCommand(ffmpegPath(), {"-v", "error", "-y", "-i", video, "-frames:v", "1", frame}, &rc);
    QCOMPARE(rc, 0);
    const QImage image(frame);
    QCOMPARE(image.size(), QSize(640, 360));
    QVERIFY2(brightPixelsInMiddle(image) > 500, "the caption is not in the video's frame");
}

void TestMainWindow::pictureDroppedWhileEditingShowsEditedCaption()
{
    auto window = makeWindow();
    QVERIFY(window);
    // Replaces the caption in the open dialog and lets its live preview run.
    const auto typeCaption = [&window](const char *caption) {
        auto *dialog = window->findChild<CaptionDialog *>();
        if (!dialog)
            return static_cast<CaptionDialog *>(nullptr);
        auto *text = dialogControlAs<QPlainTextEdit>(dialog, CaptionDialog::TextField);
        text->selectAll();
        text->setFocus();
        QTest::keyClicks(text, caption);
        return waitForCaptionPreview(window.get(), QString::fromUtf8(caption)) ? dialog : nullptr;
    };
    // A caption confirmed first, then edited while a picture is dropped onto the window.
    QTimer::singleShot(0, this, [&] {
        auto *dialog = typeCaption("OLD");
        QVERIFY(dialog);
        dialogControlAs<QPushButton>(dialog, CaptionDialog::OkButton)->click();
    });
    QVERIFY(runCaptionDialog(window.get()));
    QCOMPARE(window->picture().withTextSettings().text, QStringLiteral("OLD"));

    QString shownWhileOpen;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = typeCaption("NEW");
        QVERIFY(dialog);
        dropFile(window.get(), m_picture);
        shownWhileOpen = window->picture().withTextSettings().text;
        dialogControlAs<QPushButton>(dialog, CaptionDialog::OkButton)->click();
    });
    QVERIFY(runCaptionDialog(window.get()));
    QCOMPARE(window->picture().sourcePath(), m_picture);
    QCOMPARE(shownWhileOpen, QStringLiteral("NEW"));
    QCOMPARE(window->captionSettings().text, QStringLiteral("NEW"));
    QCOMPARE(window->picture().withTextSettings().text, QStringLiteral("NEW"));
    QCOMPARE(window->picture().currentPicturePath(), window->picture().withTextPath());
}

void TestMainWindow::saveAs()
{
    auto window = makeWindow();
    QVERIFY(window);
    dropFile(window.get(), m_song);
    const QString existing = m_out.path() + "/old clip.final.mpg";
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("an older video");
    file.close();
    window->outputEdit()->setText(existing);

    // The dialog starts in the path's folder with its bare name, the current format first; a name
    // typed without extension gets the chosen filter's.
    QStringList filters;
    QString name;
    QString folder;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<SaveAsDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Save Pictune As..."));
        filters = dialog->nameFilters();
        folder = dialog->directory().absolutePath();
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        name = edit->text();
        edit->setText("holiday");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window->chooseOutputPath();
    QCOMPARE(filters, (QStringList{"MPEG-1 Facebook Compatible (mpg) (*.mpg)", "WebM Files (webm) (*.webm)",
                                   "MP4 (H.264/AAC) (*.mp4)"}));
    QCOMPARE(name, QStringLiteral("old clip.final"));
    QCOMPARE(folder, QFileInfo(m_out.path()).absoluteFilePath());
    const QString chosen = m_out.path() + "/holiday.mpg";
    QCOMPARE(window->outputEdit()->text(), chosen);
    QVERIFY(!window->outputPathTyped());

    // Chosen with Save As: the first build asks nothing, the second asks before replacing.
    ModalAnswerer closer(closeCompletionDialog);
    QVERIFY(createAndWait(window.get()));
    QVERIFY(m_messages->messages.isEmpty());
    QVERIFY(isNonEmptyFile(chosen));
    m_messages->answer = QMessageBox::No;
    QVERIFY(createAndWait(window.get()));
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.first().caption, QStringLiteral("Create Pictune..."));
    QVERIFY(window->outputPathTyped());

    // The MP4 filter: the bare name gets ".mp4", and the build ends like the others, on the
    // clipboard and in the completion dialog.
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<SaveAsDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectNameFilter("MP4 (H.264/AAC) (*.mp4)");
        // The dialog writes the name for the new filter itself once the change is through.
        QTimer::singleShot(0, dialog, [dialog] {
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText("festival");
            QMetaObject::invokeMethod(dialog, "accept");
        });
    });
    window->chooseOutputPath();
    const QString mp4 = m_out.path() + "/festival.mp4";
    QCOMPARE(window->outputEdit()->text(), mp4);
    QVERIFY(createAndWait(window.get()));
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(QGuiApplication::clipboard()->text(), mp4);
    QCOMPARE(probe(mp4, "stream=codec_name,width,height"), QStringLiteral("h264,640,360\naac"));

    // The format chosen last is the one the next start offers, and Save As lists it first.
    QCOMPARE(AppSettings::instance().read(Settings::OutputFormat), QStringLiteral("mp4"));
    window.reset();
    window = makeWindow();
    QVERIFY(window);
    QVERIFY(window->outputEdit()->text().endsWith("/MyPictune.mp4"));

    QCOMPARE(SaveAsDialog::filtersFor("webm").first(), QStringLiteral("WebM Files (webm) (*.webm)"));
    QCOMPARE(SaveAsDialog::withExtension("/v/a.b", "WebM Files (webm) (*.webm)"), QStringLiteral("/v/a.b.webm"));
    QCOMPARE(SaveAsDialog::withExtension("/v/a.MPG", "WebM Files (webm) (*.webm)"), QStringLiteral("/v/a.MPG"));
    QCOMPARE(SaveAsDialog::withExtension("/v/a", "MPEG-1 Facebook Compatible (mpg)"), QStringLiteral("/v/a.mpg"));
    QCOMPARE(SaveAsDialog::filtersFor("mp4"),
             QStringList({"MP4 (H.264/AAC) (*.mp4)", "WebM Files (webm) (*.webm)",
                          "MPEG-1 Facebook Compatible (mpg) (*.mpg)"}));
    QCOMPARE(SaveAsDialog::withExtension("/v/a", "MP4 (H.264/AAC)"), QStringLiteral("/v/a.mp4"));
    QCOMPARE(SaveAsDialog::withExtension("/v/a.Mp4", "WebM Files (webm) (*.webm)"), QStringLiteral("/v/a.Mp4"));
}

void TestMainWindow::fileDialogLayout_data()
{
    QTest::addColumn<bool>("saveAs");
    QTest::addRow("open") << false;
    QTest::addRow("save as") << true;
}

// The detail view's Size, Type and Date columns show their contents whole, and the dialog opens
// at the size it last had, within the screen.
void TestMainWindow::fileDialogLayout()
{
    QFETCH(bool, saveAs);
    auto window = makeWindow();
    QVERIFY(window);
    QTemporaryDir folder;
    const struct {
        const char *name;
        qint64 size;
    } files[] = {{"a long recording.mp3", 17 * 1024 * 1024 + 300 * 1024}, {"cover.jpeg", 123456}, {"b.webm", 999}};
    for (const auto &file : files) {
        QFile made(folder.filePath(QLatin1String(file.name)));
        QVERIFY(made.open(QIODevice::WriteOnly) && made.resize(file.size));
    }
    const Settings::Key<QSize> &key = saveAs ? Settings::SaveAsDialogSize : Settings::OpenFileDialogSize;
    const auto makeDialog = [&]() -> std::unique_ptr<QFileDialog> {
        std::unique_ptr<QFileDialog> dialog;
        if (saveAs)
            dialog = std::make_unique<SaveAsDialog>(window.get(), folder.path(), QStringLiteral("clip"), QStringLiteral("webm"));
        else
            dialog = std::make_unique<OpenFileDialog>(window.get(), window.get(), FileKind::Audio, folder.path());
        // Every file listed, whatever its type.
        dialog->setNameFilter(QStringLiteral("*"));
        return dialog;
    };

    auto dialog = makeDialog();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto *view = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    QVERIFY(view && view->isVisible());
    const auto fitsWhole = [view] {
        if (view->model()->rowCount(view->rootIndex()) != 3)
            return false;
        for (int row = 0; row < 3; ++row) {
            for (int column = 1; column <= 3; ++column) {
                const QModelIndex index = view->model()->index(row, column, view->rootIndex());
                QStyleOptionViewItem option;
                option.initFrom(view);
                option.font = view->font();
                const int needed = view->itemDelegateForIndex(index)->sizeHint(option, index).width();
                if (index.data().toString().isEmpty() || needed > view->header()->sectionSize(column))
                    return false;
            }
        }
        return true;
    };
    QTRY_VERIFY(fitsWhole());
    QVERIFY(view->header()->sectionSize(0) > view->fontMetrics().horizontalAdvance(QLatin1String(files[0].name)));

    // Nothing is written for a dialog left at its size; a new size is remembered.
    const QSize opened = dialog->size();
    dialog->reject();
    QCOMPARE(AppSettings::instance().read(key), QSize());
    dialog = makeDialog();
    QCOMPARE(dialog->size(), opened);
    dialog->resize(opened - QSize(40, 30));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->reject();
    QCOMPARE(AppSettings::instance().read(key), opened - QSize(40, 30));
    QCOMPARE(makeDialog()->size(), opened - QSize(40, 30));

    // A size from a larger screen is cut to this one's work area.
    QVERIFY(AppSettings::instance().set(key, QSize(5000, 4000)));
    const QRect workArea = window->screen()->availableGeometry();
    const QSize bounded = makeDialog()->size();
    QVERIFY(bounded.width() < workArea.width() && bounded.height() < workArea.height());
}

void TestMainWindow::applicationRunsTheInitializedWindow()
{
    bool sawReadyWindow = false;
    ModalAnswerer watcher([&](QWidget *modal) {
        auto *window = qobject_cast<MainWindow *>(modal);
        if (!window)
            return false;
        sawReadyWindow = window->control(MainWindow::Step1Pending)->isVisible()
            && window->outputEdit()->text().endsWith("/MyPictune.webm")
            && !fontNameList().isEmpty();
        window->done(0);
        return true;
    });
    Application app;
    QCOMPARE(app.run(), 0);
    QVERIFY(sawReadyWindow);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
