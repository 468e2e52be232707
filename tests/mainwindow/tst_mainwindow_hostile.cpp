#include "MainWindowFixture.h"

#include "mainwindow/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace TestSupport;

// The window with songs that take a while to measure or turn out to be no song at all, and file
// names that Qt's file dialog reads as something else.
class TestMainWindowHostile : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { createMedia(); }
    void init() { setUpTest(); }
    void cleanup() { tearDownTest(); }

    void songLengthArrivesLater();
    void createWaitsForTheLength();
    void createWaitEndsWithItsSong_data();
    void createWaitEndsWithItsSong();
    void songThatIsNoAudioIsLetGo();
    void typedNameWithQuoteOpens();
    void songCheckedWhileWindowServes();

private:
    // The song followed by zeros up to `size` bytes (a sparse file), as a pre-allocated download
    // leaves it.
    QString paddedSong(qint64 size = 20LL * 1024 * 1024 * 1024);
    QString step2Tip(MainWindow *window) const
    {
        return window->control(MainWindow::Step2Done)->toolTip();
    }
};

namespace {

// A 3 s Ogg Vorbis whose comment header carries a picture of `pictureBytes` noise bytes as a
// METADATA_BLOCK_PICTURE: the demuxer reads the whole header before any sound.
bool makeOggWithHugePicture(const QString &path, const QString &scratch, int pictureBytes)
{
    QByteArray picture(pictureBytes, '\0');
    quint32 x = 12345;
    for (char &c : picture) {
        x = x * 1664525u + 1013904223u;
        c = char(x >> 24);
    }
    picture.replace(0, 8, QByteArray("\x89PNG\r\n\x1a\n", 8));
    const auto be32 = [](quint32 v) {
        const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(bytes, 4);
    };
    const QByteArray block = be32(3) + be32(9) + "image/png" + be32(0) + be32(1) + be32(1) + be32(24)
        + be32(0) + be32(quint32(picture.size())) + picture;
    QFile meta(scratch);
    if (!meta.open(QIODevice::WriteOnly)
        || meta.write(";FFMETADATA1\nMETADATA_BLOCK_PICTURE=" + block.toBase64().replace("=", "\\=") + "\n") < 0)
        return false;
    meta.close();
    int rc = -1;
    runCommand(ffmpegPath(), {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=3", "-f",
                              "ffmetadata", "-i", scratch, "-map", "0:a", "-map_metadata", "1", "-c:a",
                              "libvorbis", path},
               &rc);
    QFile::remove(scratch);
    return rc == 0;
}

} // namespace

QString TestMainWindowHostile::paddedSong(qint64 size)
{
    const QString padded = m_out.filePath("padded.mp3");
    QFile::remove(padded);
    if (!QFile::copy(m_song, padded) || !QFile::resize(padded, size))
        return {};
    return padded;
}

void TestMainWindowHostile::songLengthArrivesLater()
{
    auto window = makeWindow();
    QVERIFY(window);
    const QString song = paddedSong();
    QVERIFY(!song.isEmpty());

    // Taking the song returns before it is measured: the window's thread reads none of its 20 GB.
    bool timerRan = false;
    QTimer::singleShot(0, this, [&] { timerRan = true; });
    dropFile(window.get(), song);
    QCOMPARE(window->audioPath(), song);
    QVERIFY(window->audio().isMeasuring());
    QVERIFY(step2Tip(window.get()).endsWith("Duration: (measuring)"));
    QVERIFY(window->control(MainWindow::CreateButton)->isEnabled());

    QTRY_VERIFY(timerRan);
    QTRY_VERIFY(!window->audio().isMeasuring());
    QVERIFY(qAbs(window->audioDuration() - 3.0) < 0.1);
    QVERIFY2(step2Tip(window.get()).contains("\n\nDuration: 0:00:03.0"), qPrintable(step2Tip(window.get())));
    QVERIFY(m_messages->messages.isEmpty());

    // Another song while one is measured: only the last one's length counts.
    window->setAudioFile(song);
    window->setAudioFile(m_flac);
    QTRY_VERIFY(!window->audio().isMeasuring());
    QVERIFY(qAbs(window->audioDuration() - 2.0) < 0.1);
}

void TestMainWindowHostile::createWaitsForTheLength()
{
    auto window = makeWindow();
    QVERIFY(window);
    dropFile(window.get(), m_picture);
    // The encoder itself reads every byte of the zeros: a smaller tail keeps the build short.
    const QString song = paddedSong(64 * 1024 * 1024);
    QVERIFY(!song.isEmpty());
    dropFile(window.get(), song);
    QVERIFY(window->audio().isMeasuring());
    const QString mpg = m_out.filePath("waited.mpg");
    window->outputEdit()->setText(mpg);
    ModalAnswerer closer(closeCompletionDialog);
    // Create at once: the build waits for the length and then runs for the whole song; a second
    // Create meanwhile adds nothing.
    window->createVideo();
    QVERIFY(window->createWaiting());
    window->createVideo();
    QTRY_COMPARE_WITH_TIMEOUT(closer.handled, 1, 60000);
    QVERIFY(!window->createWaiting());
    QVERIFY(m_messages->messages.isEmpty());
    const QString length = runCommand(ffprobePath(), {"-v", "error", "-show_entries", "format=duration",
                                                      "-of", "default=nw=1:nk=1", mpg});
    QVERIFY2(qAbs(length.toDouble() - 3.0) < 0.2, qPrintable(length));
}

void TestMainWindowHostile::createWaitEndsWithItsSong_data()
{
    QTest::addColumn<QString>("then");
    QTest::addRow("another song taken") << "another";
    QTest::addRow("song cleared") << "cleared";
    QTest::addRow("song turns out to be no audio") << "noise";
    QTest::addRow("window closed") << "closed";
}

// A Create that waits for the song's length builds nothing once that song, or the window, is gone.
void TestMainWindowHostile::createWaitEndsWithItsSong()
{
    QFETCH(QString, then);
    auto window = makeWindow();
    QVERIFY(window);
    dropFile(window.get(), m_picture);
    QString song = paddedSong(64 * 1024 * 1024);
    if (then == "noise") {
        song = m_out.filePath("noise.mp3");
        QFile file(song);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(64 * 1024, '\x5a'));
    }
    QVERIFY(!song.isEmpty());
    window->setAudioFile(song);
    QVERIFY(window->audio().isMeasuring());
    const QString output = m_out.filePath("never.mpg");
    window->outputEdit()->setText(output);
    // Should a build run after all, it ends rather than waiting for a hand.
    ModalAnswerer closer(closeCompletionDialog);

    window->createVideo();
    QVERIFY(window->createWaiting());
    QVERIFY(QApplication::overrideCursor());
    if (then == "closed") {
        // Also then the wait cursor goes with the wait.
        window.reset();
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!QFileInfo::exists(output));
        QCOMPARE(m_messages->messages.size(), 0);
        return;
    }
    if (then == "another")
        window->setAudioFile(m_flac);
    else if (then == "cleared")
        window->setAudioFile(QString());
    QTRY_VERIFY_WITH_TIMEOUT(!window->createWaiting(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!window->audio().isMeasuring(), 30000);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(closer.handled, 0);
    QVERIFY(!QFileInfo::exists(output));
    QCOMPARE(m_messages->messages.size(), then == "noise" ? 1 : 0);
}

void TestMainWindowHostile::songThatIsNoAudioIsLetGo()
{
    auto window = makeWindow();
    QVERIFY(window);
    // Taken without the quick test (as a file named on the command line may be): the measuring
    // finds out, the step lets it go and the user reads why.
    const QString noise = m_out.filePath("noise.mp3");
    QFile file(noise);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(64 * 1024, '\x5a'));
    file.close();
    window->setAudioFile(noise);
    QTRY_COMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.first().text,
             "The Audio File can not be read:\n\n   " + noise + "\n\nPlease choose another Audio File, thanks.");
    QCOMPARE(window->audioPath(), QString());
    QVERIFY(window->control(MainWindow::Step2Pending)->isVisible());
    QVERIFY(!window->control(MainWindow::CreateButton)->isEnabled());
}

void TestMainWindowHostile::typedNameWithQuoteOpens()
{
    auto window = makeWindow();
    QVERIFY(window);
    const QString quoted = m_out.filePath("say \"hi\" to.mp3");
    QVERIFY(QFile::copy(m_song, quoted));

    bool openEnabled = false;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(window->openFileDialog());
        QVERIFY(dialog);
        dialog->setDirectory(m_out.path());
        auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
        auto *open = dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Open);
        QVERIFY(edit && open);
        // The directory's listing arrives from a thread of the file system model.
        QTRY_VERIFY(dialog->findChild<QFileSystemModel *>()->index(quoted).isValid());
        edit->setFocus();
        QTest::keyClicks(edit, "say \"hi\" to.mp3");
        openEnabled = open->isEnabled();
        QTest::keyClick(edit, Qt::Key_Return);
        if (dialog->isVisible())
            dialog->reject();
    });
    QCOMPARE(window->browseForFile(FileKind::Audio), FileKind::Audio);
    QVERIFY(openEnabled);
    QTRY_COMPARE(window->audioPath(), quoted);
}

QTEST_MAIN(TestMainWindowHostile)
#include "tst_mainwindow_hostile.moc"

void TestMainWindowHostile::songCheckedWhileWindowServes()
{
    const QString ogg = m_out.filePath("picture.ogg");
    QVERIFY(makeOggWithHugePicture(ogg, m_out.filePath("meta.txt"), 40 * 1000 * 1000));
    auto window = makeWindow();
    QVERIFY(window);

    // The check reads the whole comment header; the window's timers keep coming meanwhile.
    QElapsedTimer since;
    qint64 longestGap = 0;
    QTimer ticks;
    connect(&ticks, &QTimer::timeout, this, [&] {
        const qint64 gap = since.restart();
        if (window->isCheckingSong())
            longestGap = std::max(longestGap, gap);
    });
    ticks.start(10);
    since.start();
    window->openFile(ogg);
    QVERIFY2(since.elapsed() < 200, qPrintable(QStringLiteral("openFile took %1 ms").arg(since.elapsed())));
    QVERIFY(window->isCheckingSong());
    QTRY_COMPARE_WITH_TIMEOUT(window->audioPath(), ogg, 30000);
    ticks.stop();
    QVERIFY2(longestGap < 200, qPrintable(QStringLiteral("longest gap %1 ms").arg(longestGap)));
    QVERIFY(m_messages->messages.isEmpty());

    // A newer song supersedes one still being checked; a window closed while it checks drops it.
    // Copies, as a file checked before is answered at once.
    const QString again = m_out.filePath("again.ogg");
    const QString last = m_out.filePath("last.ogg");
    QVERIFY(QFile::copy(ogg, again) && QFile::copy(ogg, last));
    window->clearAudio();
    window->openFile(again);
    window->openFile(m_flac);
    QTRY_VERIFY(!window->isCheckingSong());
    QCOMPARE(window->audioPath(), m_flac);
    window->openFile(last);
    QVERIFY(window->isCheckingSong());
    window.reset();
}
