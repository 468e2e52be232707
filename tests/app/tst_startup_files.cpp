#include "TestSupport.h"

#include "app/Application.h"
#include "app/StartupFiles.h"
#include "base/AppSettings.h"
#include "mainwindow/MainWindow.h"
#include "model/PicturePreparation.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace TestSupport;

// Files named on the command line, as "Open with Velmora" hands them over: sorted into a picture
// and a song, then taken by the running window the way a drop is.
class TestStartupFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fromArguments_data();
    void fromArguments();
    void notOpenedMessage();
    void bothStepsDone_data();
    void bothStepsDone();

private:
    // Placeholders of the rows: PIC, PIC2, SONG, SONG2, TEXT, FAKE (text named .jpg), CUT (a JPEG cut
    // short), EMPTY, MISSING.
    QString expand(QString text) const;
    QStringList expand(const QStringList &list) const;

    QTemporaryDir m_media;
};

void TestStartupFiles::initTestCase()
{
    QVERIFY(m_media.isValid());
    int code = 0;
    for (const char *name : {"pic.png", "pic2.jpg"}) {
        runCommand(convertPath(), {"-size", "320x200", "plasma:red-blue", m_media.filePath(name)}, &code);
        QCOMPARE(code, 0);
    }
    for (const char *name : {"song.wav", "song 2.ogg"}) {
        runCommand(ffmpegPath(), {"-nostdin", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=2",
                                  m_media.filePath(name)}, &code);
        QCOMPARE(code, 0);
    }
    const auto write = [this](const char *name, const QByteArray &data) {
        QFile file(m_media.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    };
    write("notes.txt", "lyrics\n");
    write("fake.jpg", "not a picture\n");
    write("empty.mp3", "");
    QFile jpeg(m_media.filePath("pic2.jpg"));
    QVERIFY(jpeg.open(QIODevice::ReadOnly));
    write("cut.jpg", jpeg.readAll().chopped(100));
}

QString TestStartupFiles::expand(QString text) const
{
    const QString dir = m_media.path() + QLatin1Char('/');
    text.replace("PIC2", dir + "pic2.jpg").replace("PIC", dir + "pic.png");
    text.replace("SONG2", dir + "song 2.ogg").replace("SONG", dir + "song.wav");
    text.replace("TEXT", dir + "notes.txt").replace("FAKE", dir + "fake.jpg").replace("CUT", dir + "cut.jpg");
    text.replace("EMPTY", dir + "empty.mp3").replace("MISSING", dir + "missing.png");
    return text;
}

QStringList TestStartupFiles::expand(const QStringList &list) const
{
    QStringList result;
    for (const QString &item : list)
        result << expand(item);
    return result;
}

void TestStartupFiles::fromArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("audio");
    QTest::addColumn<QStringList>("notOpened");   // "path|reason"

    const QString missing = "|It does not exist.";
    const QString neither = "|It is neither a picture nor a song.";
    const QString cut = "|The file ends before the picture does: it may be an unfinished download or copy.";
    const QString secondPicture = "|Another Picture File was opened first.";
    const QString local = QUrl::fromLocalFile(expand("SONG2")).toString();

    QTest::addRow("nothing") << QStringList() << QString() << QString() << QStringList();
    QTest::addRow("picture and song") << QStringList{"PIC", "SONG"} << "PIC" << "SONG" << QStringList();
    QTest::addRow("song first") << QStringList{"SONG", "PIC"} << "PIC" << "SONG" << QStringList();
    QTest::addRow("only a song") << QStringList{"SONG2"} << QString() << "SONG2" << QStringList();
    QTest::addRow("relative names") << QStringList{"pic.png", "./song.wav"} << "PIC" << "SONG" << QStringList();
    QTest::addRow("the first of each kind wins")
        << QStringList{"PIC2", "SONG2", "PIC", "SONG"} << "PIC2" << "SONG2"
        << QStringList{"PIC" + secondPicture, "SONG|Another Audio File was opened first."};
    QTest::addRow("the same file twice") << QStringList{"PIC", "PIC"} << "PIC" << QString() << QStringList();
    QTest::addRow("file address") << QStringList{local} << QString() << "SONG2" << QStringList();
    QTest::addRow("relative file addresses")
        << QStringList{"file:pic.png", "file:song.wav"} << "PIC" << "SONG" << QStringList();
    QTest::addRow("localhost") << QStringList{QString(local).replace("file://", "file://LocalHost")}
                               << QString() << "SONG2" << QStringList();
    QTest::addRow("another computer")
        << QStringList{"file://otherhost" + expand("PIC"), "PIC"} << "PIC" << QString()
        << QStringList{"file://otherhost" + expand("PIC") + "|It is on another computer: otherhost."};
    QTest::addRow("another kind of address")
        << QStringList{"https://example.com/cover.jpg"} << QString() << QString()
        << QStringList{"https://example.com/cover.jpg|It is not a file of this computer."};
    QTest::addRow("unusable files are named with the reason")
        << QStringList{"TEXT", "FAKE", "EMPTY", "MISSING", "PIC"} << "PIC" << QString()
        << QStringList{"TEXT" + neither, "FAKE" + neither, "EMPTY|It is empty.", "MISSING" + missing};
    QTest::addRow("a missing file address") << QStringList{"file:missing.png"} << QString() << QString()
                                            << QStringList{"MISSING" + missing};
    QTest::addRow("a refused picture is named, the next picture taken")
        << QStringList{"CUT", "PIC"} << "PIC" << QString() << QStringList{"CUT" + cut};
    QTest::addRow("a folder") << QStringList{"DIR"} << QString() << QString() << QStringList{"DIR|It is a folder."};
}

void TestStartupFiles::fromArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, picture);
    QFETCH(QString, audio);
    QFETCH(QStringList, notOpened);

    const QString dirArgument = m_media.path();
    arguments.replaceInStrings("DIR", dirArgument);
    notOpened.replaceInStrings("DIR", dirArgument);
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_media.path());
    const StartupFiles files = StartupFiles::fromArguments(expand(arguments));
    QDir::setCurrent(oldCurrent);
    QCOMPARE(files.picture.path, expand(picture));
    QCOMPARE(files.audio.path, expand(audio));
    QStringList left;
    for (const StartupFiles::NotOpened &file : files.notOpened)
        left << file.path + '|' + file.reason;
    QCOMPARE(left, expand(notOpened));
}

void TestStartupFiles::notOpenedMessage()
{
    StartupFiles files;
    QCOMPARE(files.notOpenedMessage(), QString());
    files.notOpened = {{"/a/notes.txt", "It is neither a picture nor a song."}, {"/b/c d.jpg", "It does not exist."}};
    QCOMPARE(files.notOpenedMessage(),
             QStringLiteral("These files were not opened:\n\n"
                            "   /a/notes.txt:  It is neither a picture nor a song.\n"
                            "   /b/c d.jpg:  It does not exist.\n\n"
                            "Velmora opens one Picture File and one Audio File at a time, and only "
                            "files it can read as a picture or a song."));

    for (int i = 3; i <= 12; ++i)
        files.notOpened.append({QStringLiteral("/m/%1.txt").arg(i), "It is empty."});
    const QString many = files.notOpenedMessage();
    QVERIFY(many.contains("   /m/10.txt:  It is empty.\n   ... and 2 more\n\n"));
    QVERIFY(!many.contains("/m/11.txt"));
}

void TestStartupFiles::bothStepsDone_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("autoPlay");
    QTest::addColumn<bool>("message");

    QTest::addRow("picture and song, relative") << QStringList{"pic.png", "song.wav"} << false << false;
    QTest::addRow("song first, auto-play on") << QStringList{"SONG2", "PIC2"} << true << false;
    QTest::addRow("an extra file is named") << QStringList{"PIC", "TEXT", "SONG"} << false << true;
    QTest::addRow("relative file addresses") << QStringList{"file:pic.png", "file:song.wav"} << false << false;
}

void TestStartupFiles::bothStepsDone()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, autoPlay);
    QFETCH(bool, message);

    ConfigSandbox sandbox;
    sandbox.writeIni(QStringLiteral("[Velmora 1]\nS1=%1\nS2=%2\nS3=%3\nAutoPlayOnOpen=%4\n")
                         .arg(convertPath(), ffmpegPath(), ffplayPath(), autoPlay ? "1" : "0")
                         .toUtf8());
    MessageRecorder recorder;
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_media.path());
    const StartupFiles files = StartupFiles::fromArguments(expand(arguments));
    QDir::setCurrent(oldCurrent);

    // What the running window shows, looked at until both steps are done (or a minute passed).
    QString picture, audio, pictureShown;
    const QWidget *windowSeen = nullptr;
    bool step1Done = false, step2Done = false, createEnabled = false, prepared = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        MainWindow *window = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *w = qobject_cast<MainWindow *>(widget); w && w->isVisible())
                window = w;
        }
        if (!window || QApplication::activeModalWidget() != window)
            return;
        step1Done = window->control(MainWindow::Step1Done)->isVisible();
        step2Done = window->control(MainWindow::Step2Done)->isVisible();
        const bool settled = step1Done && step2Done && (!message || !recorder.messages.isEmpty());
        if (!settled && clock.elapsed() < 60000)
            return;
        picture = window->picture().sourcePath();
        // The prepared copy, not the original, while the window lives (it deletes it on closing).
        pictureShown = window->picture().currentPicturePath();
        prepared = pictureShown != picture && QFile::exists(pictureShown);
        audio = window->audioPath();
        createEnabled = window->control(MainWindow::CreateButton)->isEnabled();
        windowSeen = window;
        poll.stop();
        window->done(0);
    });
    poll.start(50);
    QCOMPARE(Application().run(files), 0);

    QVERIFY(step1Done);
    QVERIFY(step2Done);
    QCOMPARE(picture, files.picture.path);
    QCOMPARE(audio, files.audio.path);
    QVERIFY(createEnabled);
    QVERIFY2(prepared, qPrintable(pictureShown));
    if (message) {
        QCOMPARE(recorder.messages.size(), 1);
        QCOMPARE(recorder.messages.first().text, files.notOpenedMessage());
        QVERIFY(recorder.messages.first().text.contains(expand("TEXT")));
        QCOMPARE(recorder.messages.first().owner, windowSeen);
    } else {
        QVERIFY(recorder.messages.isEmpty());
    }
}

QTEST_MAIN(TestStartupFiles)
#include "tst_startup_files.moc"
