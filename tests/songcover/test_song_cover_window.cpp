#include "mainwindow/MainWindowFixture.h"
#include "SongFixtures.h"
#include "TestSupport.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/TargetSizeTable.h"
#include "dialogs/CaptionDialog.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PictureStep.h"
#include "mainwindow/SongCoverFiles.h"
#include "model/BlankCanvases.h"
#include "model/CaptionSettings.h"
#include "model/PicturePreparation.h"
#include "model/PlacementTable.h"
#include "widgets/DialogTemplate.h"
#include "widgets/PictureBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

using namespace TestSupport;
using namespace SongFixtures;

namespace {

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 40 && qAbs(qGreen(a) - qGreen(b)) < 40 && qAbs(qBlue(a) - qBlue(b)) < 40;
}

QRgb centerOf(const QString &picture)
{
    const QImage image(picture);
    return image.isNull() ? 0 : image.pixel(image.width() / 2, image.height() / 2);
}

QStringList coverCopies()
{
    QString folder;
    getTempFolder(folder);
    return QDir(folder).entryList({"VL_Cover_*"}, QDir::Files);
}

int differingPixels(const QImage &a, const QImage &b)
{
    int count = 0;
    for (int y = 0; y < a.height(); y += 2)
        for (int x = 0; x < a.width(); x += 2)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

} // namespace

// The song's cover as the picture of step 1, its tags in the step-2 tooltip and as a caption
// the text dialog offers, and a video built from a song with a cover alone.
class TestSongCoverWindow : public QObject, private MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { setUpTest(); }
    void cleanup();

    void coverFillsTheEmptyPictureStep_data();
    void coverFillsTheEmptyPictureStep();
    void unusableCoverLeavesTheStepEmpty_data();
    void unusableCoverLeavesTheStepEmpty();
    void chosenPictureIsNeverReplaced();
    void coverWaitsForAPreparationToEnd();
    void windowClosedWhileTheCoverIsPrepared();
    void coverFollowsTheSong();
    void captionFromTheSongsTags();
    void songWithoutTagsAsked();
    void coverChosenFirstThenCreate();

private:
    QString m_redCover;   // 160x120 JPEG
    QString m_blueCover;  // 90x120 PNG
    QString m_mp3;        // red cover, Latin and CJK tags
    QString m_coverFlac;       // blue cover, Cyrillic tags
    QString m_m4a;        // red cover, title alone
    QString m_ogg;        // blue cover, Greek tags
    QString m_plain;      // no cover, no tags
    QString m_broken;     // a JPEG cover that does not decode
    QString m_huge;       // a 30000x30000 PNG cover
};

void TestSongCoverWindow::initTestCase()
{
    createMedia();
    m_redCover = m_media.filePath("red.jpg");
    m_blueCover = m_media.filePath("blue.png");
    QVERIFY(makePicture(m_redCover, 160, 120, QColor(220, 20, 20)));
    QVERIFY(makePicture(m_blueCover, 90, 120, QColor(20, 20, 220)));
    m_mp3 = m_media.filePath("cover song.mp3");
    m_coverFlac = m_media.filePath("cover.flac");
    m_m4a = m_media.filePath("cover.m4a");
    m_ogg = m_media.filePath("cover.ogg");
    m_plain = m_media.filePath("plain.mp3");
    m_broken = m_media.filePath("broken.mp3");
    m_huge = m_media.filePath("huge.mp3");
    QVERIFY(makeSong(m_mp3, m_redCover, {{"title", "Jóga 東京"}, {"artist", "Björk"}}));
    QVERIFY(makeSong(m_coverFlac, m_blueCover, {{"title", "Песня"}, {"artist", "Группа"}}));
    QVERIFY(makeSong(m_m4a, m_redCover, {{"title", "@/etc/hostname 100% \\n"}}));
    QVERIFY(makeSong(m_ogg, m_blueCover, {{"title", "Τραγούδι"}, {"artist", "Μπάντα"}}));
    QVERIFY(makeSong(m_plain, {}, {}));
    QVERIFY(makeMp3WithRawCover(m_broken, "Broken", fileBytes(m_redCover).left(30) + QByteArray(3000, '\x11'),
                                "image/jpeg"));
    QVERIFY(makeMp3WithRawCover(m_huge, "Huge", pngHeaderClaiming(30000, 30000), "image/png"));
}

void TestSongCoverWindow::cleanup()
{
    tearDownTest();
    // Every copy goes with the window that used it.
    QCOMPARE(coverCopies(), QStringList());
}

void TestSongCoverWindow::coverFillsTheEmptyPictureStep_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<QRgb>("color");
    QTest::addColumn<QString>("tagLines");
    QTest::addRow("mp3 by drop") << m_mp3 << qRgb(220, 20, 20) << QStringLiteral("\nTitle: Jóga 東京\nArtist: Björk");
    QTest::addRow("flac") << m_coverFlac << qRgb(20, 20, 220) << QStringLiteral("\nTitle: Песня\nArtist: Группа");
    QTest::addRow("m4a, title alone") << m_m4a << qRgb(220, 20, 20) << QStringLiteral("\nTitle: @/etc/hostname 100% \\n");
    QTest::addRow("ogg") << m_ogg << qRgb(20, 20, 220) << QStringLiteral("\nTitle: Τραγούδι\nArtist: Μπάντα");
}

void TestSongCoverWindow::coverFillsTheEmptyPictureStep()
{
    QFETCH(QString, song);
    QFETCH(QRgb, color);
    QFETCH(QString, tagLines);
    auto window = makeWindow();
    QVERIFY(window);
    if (song == m_mp3)
        dropFile(window.get(), song);
    else
        window->setAudioFile(song);

    QTRY_VERIFY(window->control(MainWindow::Step1Done)->isVisible());
    QVERIFY(window->pictureIsSongCover());
    const QString copy = window->picture().sourcePath();
    QCOMPARE(coverCopies(), QStringList{QFileInfo(copy).fileName()});
    // Prepared like a chosen picture: letterboxed into the video size, the bars in the background.
    const QString prepared = window->picture().currentPicturePath();
    QCOMPARE(QImage(prepared).size(), QSize(640, 360));
    QVERIFY(near(centerOf(prepared), color));
    QCOMPARE(QImage(prepared).pixel(5, 180), qRgb(0, 0, 0));
    QCOMPARE(window->pictureBox()->pictureSize(), QSize(640, 360));
    QCOMPARE(window->control(MainWindow::Step1Done)->toolTip(),
             "Click here to clear the current Picture File, which is the cover art of the song:\n\n" + song);
    const QString audioTip = window->control(MainWindow::Step2Done)->toolTip();
    QVERIFY2(audioTip.startsWith("Click here to clear the current Audio File, which is set to:\n\n" + song
                                 + "\n\nDuration: 0:00:02.0"),
             qPrintable(audioTip));
    QVERIFY2(audioTip.endsWith(tagLines), qPrintable(audioTip));
    QVERIFY(m_messages->messages.isEmpty());

    // Clearing step 1 drops the copy; the song stays.
    window->clearPicture();
    QVERIFY(waitForPictureStep(window.get()));
    QVERIFY(window->control(MainWindow::Step1Pending)->isVisible());
    QCOMPARE(coverCopies(), QStringList());
    QCOMPARE(window->audioPath(), song);
}

void TestSongCoverWindow::unusableCoverLeavesTheStepEmpty_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("why");   // the end of step 1's tooltip; empty: nothing to say
    QTest::addRow("no cover") << m_plain << QString() << QString();
    QTest::addRow("cover does not decode") << m_broken << "Broken" << "The file ends before the picture does: "
                                                                         "it may be an unfinished download or copy.";
    QTest::addRow("30000x30000 cover") << m_huge << "Huge" << "It is 30000 x 30000 pixels";
}

void TestSongCoverWindow::unusableCoverLeavesTheStepEmpty()
{
    QFETCH(QString, song);
    QFETCH(QString, title);
    QFETCH(QString, why);
    auto window = makeWindow();
    QVERIFY(window);
    QSignalSpy coverSettled(window->songCover(), &SongCoverFiles::offerSettled);
    window->setAudioFile(song);
    QTRY_VERIFY(window->audio().tagsRead());
    QVERIFY(!coverSettled.isEmpty() || coverSettled.wait(10000));
    QVERIFY(window->control(MainWindow::Step1Pending)->isVisible());
    QVERIFY(window->picture().sourcePath().isEmpty());
    QCOMPARE(window->picture().currentPicturePath(), window->blankCanvases().currentPath());
    QCOMPARE(window->audio().tags().title, title);
    QCOMPARE(window->control(MainWindow::Step2Done)->toolTip().endsWith("Title: " + title), !title.isEmpty());
    // The empty step says why the song's cover is not its picture, as long as the song is there.
    const QString browse = "...or, click here to Browse for a Picture File";
    const QString tip = window->control(MainWindow::Step1Pending)->toolTip();
    if (why.isEmpty()) {
        QCOMPARE(tip, browse);
    } else {
        const QString head = browse + "\n\nThe cover art of the song can not be used:\n\n" + song + "\n\n";
        QVERIFY2(tip.startsWith(head + why), qPrintable(tip));
    }
    window->setAudioFile(QString());
    QCOMPARE(window->control(MainWindow::Step1Pending)->toolTip(), browse);
    QVERIFY(m_messages->messages.isEmpty());
    QCOMPARE(coverCopies(), QStringList());
}

void TestSongCoverWindow::chosenPictureIsNeverReplaced()
{
    auto window = makeWindow();
    QVERIFY(window);
    // Chosen before the song.
    dropFile(window.get(), m_portrait);
    QSignalSpy coverSettled(window->songCover(), &SongCoverFiles::offerSettled);
    const auto waitForCover = [&] { return !coverSettled.isEmpty() || coverSettled.wait(10000); };
    window->setAudioFile(m_mp3);
    QTRY_VERIFY(window->audio().tagsRead());
    QVERIFY(waitForCover());
    QCOMPARE(window->picture().sourcePath(), m_portrait);
    QCOMPARE(coverCopies(), QStringList());

    // Chosen while the cover is read: the cover may arrive while the picture is prepared; it
    // waits, then sees the user's choice.
    window->clearPicture();
    QVERIFY(waitForPictureStep(window.get()));
    coverSettled.clear();
    window->setAudioFile(m_coverFlac);
    dropFile(window.get(), m_picture);
    QTRY_VERIFY(window->audio().tagsRead());
    QVERIFY(waitForCover());
    QCOMPARE(window->picture().sourcePath(), m_picture);

    // Chosen after a cover took the step: the user's picture replaces it and then stays.
    window->clearPicture();
    QVERIFY(waitForPictureStep(window.get()));
    window->setAudioFile(m_ogg);
    QTRY_VERIFY(window->pictureIsSongCover());
    dropFile(window.get(), m_portrait);
    QCOMPARE(window->picture().sourcePath(), m_portrait);
    QCOMPARE(coverCopies(), QStringList());
    coverSettled.clear();
    window->setAudioFile(m_mp3);
    QTRY_VERIFY(window->audio().tagsRead());
    QVERIFY(waitForCover());
    QCOMPARE(window->picture().sourcePath(), m_portrait);
    QVERIFY(m_messages->messages.isEmpty());
}

void TestSongCoverWindow::coverWaitsForAPreparationToEnd()
{
    // A slow image tool: the preparation runs long enough for a song's cover to arrive meanwhile,
    // and a second preparation must not start inside the first.
    const QString slow = writeScript(m_out.filePath("slow-convert"),
                                     "#!/bin/sh\nsleep 0.4\nexec " + convertPath().toUtf8() + " \"$@\"\n");
    QVERIFY(!slow.isEmpty());
    AppSettings::instance().set(Settings::ImageTool, slow);
    QWidget owner;
    PictureBox box(&owner);
    const CaptionSettings captions;
    BlankCanvases canvases;
    PictureStep step(&owner, &box, &captions, canvases);
    QList<bool> preparingWhenRun;
    QTimer::singleShot(100, this, [&] {
        QVERIFY(step.isPreparing());
        step.whenIdle([&] { preparingWhenRun << step.isPreparing(); });
    });
    QSignalSpy settled(&step, &PictureStep::settled);
    bool set = false;
    bool ranInside = true;
    step.take(m_picture, true, [&](bool taken) {
        set = taken;
        ranInside = !preparingWhenRun.isEmpty();
    });
    QVERIFY(settled.wait(30000));
    QVERIFY(set);
    QVERIFY(!ranInside);
    QTRY_COMPARE(preparingWhenRun, QList<bool>{false});

    // Queued even when idle, so it never runs inside its caller.
    step.whenIdle([&] { preparingWhenRun << step.isPreparing(); });
    QCOMPARE(preparingWhenRun.size(), 1);
    QTRY_COMPARE(preparingWhenRun.size(), 2);
}

void TestSongCoverWindow::windowClosedWhileTheCoverIsPrepared()
{
    auto window = makeWindow();
    QVERIFY(window);
    AppSettings::instance().set(Settings::ImageTool, writeScript(
        m_out.filePath("slow-convert"), "#!/bin/sh\nsleep 1\nexec " + convertPath().toUtf8() + " \"$@\"\n"));
    window->setAudioFile(m_mp3);
    QTRY_VERIFY(window->pictureStep()->isPreparing());
    QCOMPARE(coverCopies().size(), 1);
    window.reset();
    QCOMPARE(coverCopies(), QStringList());
}

void TestSongCoverWindow::coverFollowsTheSong()
{
    auto window = makeWindow();
    QVERIFY(window);
    window->setAudioFile(m_mp3);
    QTRY_VERIFY(window->pictureIsSongCover());
    QVERIFY(near(centerOf(window->picture().currentPicturePath()), qRgb(220, 20, 20)));

    // The next song's cover replaces the last one's; a song without one empties the step, so a
    // video never shows another song's cover.
    QSignalSpy coverSettled(window->songCover(), &SongCoverFiles::offerSettled);
    window->setAudioFile(m_coverFlac);
    QVERIFY(coverSettled.wait(10000));
    QTRY_VERIFY(near(centerOf(window->picture().currentPicturePath()), qRgb(20, 20, 220)));
    QVERIFY(window->pictureIsSongCover());
    QCOMPARE(coverCopies().size(), 1);
    QVERIFY(window->control(MainWindow::Step1Done)->toolTip().endsWith(m_coverFlac));

    window->setAudioFile(m_broken);
    QTRY_VERIFY(window->control(MainWindow::Step1Pending)->isVisible());
    QVERIFY(window->picture().sourcePath().isEmpty());
    QCOMPARE(coverCopies(), QStringList());
    QVERIFY(m_messages->messages.isEmpty());
}

void TestSongCoverWindow::captionFromTheSongsTags()
{
    auto window = makeWindow();
    QVERIFY(window);
    window->setAudioFile(m_mp3);
    QTRY_VERIFY(window->pictureIsSongCover());
    const QString plain = window->picture().resizedPath();
    const QImage cover(plain);

    QString textOnOpen;
    QString filled;
    QString undone;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = window->findChild<CaptionDialog *>();
        QVERIFY(dialog);
        auto *text = dialogControlAs<QPlainTextEdit>(dialog, CaptionDialog::TextField);
        auto *fromTags = dialogControlAs<QAbstractButton>(dialog, CaptionDialog::SongTagsButton);
        QCOMPARE(fromTags->text(), QStringLiteral("From the song's tags"));
        QVERIFY(fromTags->isEnabled());
        textOnOpen = text->toPlainText();
        text->selectAll();
        QTest::keyClicks(text, "typed");
        QTest::mouseClick(fromTags, Qt::LeftButton);
        filled = text->toPlainText();
        // What the user typed comes back with Undo, and the tags with Redo.
        QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier);
        undone = text->toPlainText();
        QTest::keyClick(text, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(waitForCaptionPreview(window.get(), text->toPlainText()));
        dialogControlAs<QAbstractButton>(dialog, CaptionDialog::OkButton)->click();
    });
    QVERIFY(runCaptionDialog(window.get()));
    // Nothing is filled in unasked.
    QCOMPARE(textOnOpen, CaptionSettings().text);
    QCOMPARE(filled, QStringLiteral("Björk \u2013 Jóga 東京"));
    QCOMPARE(undone, QStringLiteral("typed"));
    QCOMPARE(window->captionSettings().text, filled);
    QVERIFY(window->captionSettings().textOn);
    QVERIFY(m_messages->messages.isEmpty());

    // Drawn into the cover by the image tool.
    const QImage withText(window->picture().currentPicturePath());
    QCOMPARE(window->picture().currentPicturePath(), window->picture().withTextPath());
    QVERIFY2(differingPixels(cover, withText) > 100, "the caption is not in the picture");

    // A tag the image tool would read as a file reference or an escape is drawn as text.
    window->setAudioFile(m_m4a);
    QTRY_VERIFY(window->audio().tagsRead());
    QTimer::singleShot(0, this, [&] {
        auto *dialog = window->findChild<CaptionDialog *>();
        QVERIFY(dialog);
        QTRY_VERIFY(dialogControlAs<QAbstractButton>(dialog, CaptionDialog::SongTagsButton)->isEnabled());
        dialog->fillFromSongTags();
        QVERIFY(waitForCaptionPreview(window.get(),
                                      dialogControlAs<QPlainTextEdit>(dialog, CaptionDialog::TextField)->toPlainText()));
        dialogControlAs<QAbstractButton>(dialog, CaptionDialog::OkButton)->click();
    });
    QVERIFY(runCaptionDialog(window.get()));
    const CaptionSettings &settings = window->captionSettings();
    QCOMPARE(settings.text, QStringLiteral("@/etc/hostname 100% \\n"));
    const QStringList arguments = captionArguments("in.bmp", settings, *PlacementTable::find(settings.placement), "out.bmp");
    QVERIFY(arguments.contains(QStringLiteral("\\@/etc/hostname 100\\% \\\\n")));
    QVERIFY(isNonEmptyFile(window->picture().withTextPath()));
    QVERIFY(m_messages->messages.isEmpty());
}

void TestSongCoverWindow::songWithoutTagsAsked()
{
    auto window = makeWindow();
    QVERIFY(window);
    bool enabledWithoutSong = true;
    QString textAfter;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = window->findChild<CaptionDialog *>();
        QVERIFY(dialog);
        auto *fromTags = dialogControlAs<QAbstractButton>(dialog, CaptionDialog::SongTagsButton);
        enabledWithoutSong = fromTags->isEnabled();
        // A song dropped while the dialog is open: the button follows it.
        dropFile(window.get(), m_plain);
        QTRY_VERIFY(fromTags->isEnabled());
        QTest::mouseClick(fromTags, Qt::LeftButton);
        textAfter = dialogControlAs<QPlainTextEdit>(dialog, CaptionDialog::TextField)->toPlainText();
        dialog->reject();
    });
    QVERIFY(runCaptionDialog(window.get()));
    QVERIFY(!enabledWithoutSong);
    QCOMPARE(textAfter, CaptionSettings().text);
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.first().text,
             "This Audio File has no Title or Artist tags to use as text:\n\n   " + m_plain);
}

void TestSongCoverWindow::coverChosenFirstThenCreate()
{
    auto window = makeWindow();
    QVERIFY(window);
    // Step 2 through its marker and the open-file dialog, as a user does.
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(window->openFileDialog());
        QVERIFY(dialog);
        dialog->selectFile(m_ogg);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QTest::mouseClick(window->control(MainWindow::Step2Pending), Qt::LeftButton);
    QTRY_COMPARE(window->audioPath(), m_ogg);
    QTRY_VERIFY(window->control(MainWindow::Step1Done)->isVisible());

    const QString video = m_out.path() + "/cover.webm";
    window->outputEdit()->setText(video);
    ModalAnswerer closer(closeCompletionDialog);
    QTest::mouseClick(window->control(MainWindow::CreateButton), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window->createWaiting(), 30000);
    QVERIFY(isNonEmptyFile(video));
    QVERIFY(m_messages->messages.isEmpty());
    for (const char *at : {"0.2", "1.5"}) {
        const QString frame = m_out.filePath(QStringLiteral("frame-%1.png").arg(at));
        int rc = -1;
        runCommand(ffmpegPath(), {"-v", "error", "-y", "-ss", at, "-i", video, "-frames:v", "1", frame}, &rc);
        QCOMPARE(rc, 0);
        const QImage image(frame);
        QCOMPARE(image.size(), QSize(640, 360));
        // The blue cover in the middle, the letterbox bars at the sides.
        QVERIFY(near(image.pixel(320, 180), qRgb(20, 20, 220)));
        QVERIFY(near(image.pixel(10, 180), qRgb(0, 0, 0)));
    }
}

QTEST_MAIN(TestSongCoverWindow)
#include "test_song_cover_window.moc"
