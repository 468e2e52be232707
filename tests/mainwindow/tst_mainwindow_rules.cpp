#include "mainwindow/MainLayout.h"
#include "media/OpenableExtensions.h"

#include <QTest>

class TestMainWindowRules : public QObject
{
    Q_OBJECT

private slots:
    void pathPieces_data();
    void pathPieces();
    void openFilters();
    void fitPictureBox_data();
    void fitPictureBox();
    void widerWindow();
};

void TestMainWindowRules::pathPieces_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("bareName");

    QTest::addRow("webm") << "/home/u/Videos/MyPictune.webm" << "webm" << "/home/u/Videos" << "MyPictune";
    QTest::addRow("upper case") << "/v/CLIP.Mpg" << "mpg" << "/v" << "CLIP";
    QTest::addRow("two dots") << "/v/clip.final.mpg" << "mpg" << "/v" << "clip.final";
    QTest::addRow("dot only in a folder") << "/v/my.videos/clip" << "videos/clip" << "/v/my.videos" << "clip";
    QTest::addRow("no separator") << "clip.webm" << "webm" << "" << "clip.webm";
    QTest::addRow("no dot") << "/v/clip" << "" << "/v" << "clip";
    QTest::addRow("root") << "/clip.webm" << "webm" << "/" << "clip";
}

void TestMainWindowRules::pathPieces()
{
    QFETCH(QString, path);
    QFETCH(QString, extension);
    QFETCH(QString, folder);
    QFETCH(QString, bareName);
    QCOMPARE(pathExtension(path), extension);
    QCOMPARE(pathFolder(path), folder);
    QCOMPARE(pathBareName(path), bareName);
}

void TestMainWindowRules::openFilters()
{
    const QStringList pictures = buildOpenFilter(FileKind::Picture);
    QCOMPARE(pictures.size(), 3);
    QCOMPARE(pictures.at(0), QStringLiteral("Image Files (jpg, jpeg, png, bmp, gif, tif, tiff) "
                                            "(*.jpg *.jpeg *.png *.bmp *.gif *.tif *.tiff)"));
    QCOMPARE(pictures.at(1), QStringLiteral("Audio Files (aac, aif, aiff, cda, flac, m4a, mp1, mp3, mp4, ogg, wav, wma) "
                                            "(*.aac *.aif *.aiff *.cda *.flac *.m4a *.mp1 *.mp3 *.mp4 *.ogg *.wav *.wma)"));
    QVERIFY(pictures.at(2).startsWith(QStringLiteral("All Openable Files (Picture & Audio Files) (*.jpg ")));
    QCOMPARE(pictures.at(2).count(QStringLiteral("*.")), 19);

    const QStringList audio = buildOpenFilter(FileKind::Audio);
    QCOMPARE(audio, (QStringList{pictures.at(1), pictures.at(0), pictures.at(2)}));

    QCOMPARE(OpenableExtensions::kindOf("jpeg"), FileKind::Picture);
    QCOMPARE(OpenableExtensions::kindOf("wma"), FileKind::Audio);
    QCOMPARE(OpenableExtensions::kindOf("JPG"), FileKind::None);   // callers lower-case first
    QCOMPARE(OpenableExtensions::kindOf("txt"), FileKind::None);
}

void TestMainWindowRules::fitPictureBox_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QSize>("video");
    QTest::addColumn<QRect>("box");

    // 1280x720 is wider than 700x400: full width, height 700/1.777.. rounded = 394, centered.
    QTest::addRow("700x400 at 720p") << QRect(34, 100, 700, 400) << QSize(1280, 720) << QRect(34, 103, 700, 394);
    // Not wider than 800x400: full height, width 1.777.. x 400 rounded = 711, centered.
    QTest::addRow("800x400 at 720p") << QRect(34, 100, 800, 400) << QSize(1280, 720) << QRect(79, 100, 711, 400);
    QTest::addRow("854x480 exact") << QRect(0, 0, 854, 480) << QSize(854, 480) << QRect(0, 0, 854, 480);
    QTest::addRow("426x240 into a square") << QRect(0, 0, 300, 300) << QSize(426, 240) << QRect(0, 66, 300, 169);
    QTest::addRow("empty area") << QRect(10, 10, 0, 50) << QSize(640, 360) << QRect(10, 10, 0, 0);
}

void TestMainWindowRules::fitPictureBox()
{
    QFETCH(QRect, area);
    QFETCH(QSize, video);
    QFETCH(QRect, box);
    QCOMPARE(::fitPictureBox(area, video), box);
}

void TestMainWindowRules::widerWindow()
{
    MainLayoutInput in;
    in.initial = QSize(542, 608);
    in.client = in.initial;
    in.createButton = QSize(180, 40);
    in.saveAsButton = QSize(30, 26);
    in.editHeight = 21;
    in.titleHeight = 37;
    in.stepMarkerHeight = 60;
    in.playButtonWidth = 60;
    in.video = QSize(640, 360);

    const MainLayoutResult before = computeMainLayout(in);
    in.client.rwidth() += 100;
    const MainLayoutResult after = computeMainLayout(in);

    QCOMPARE(after.frameGroupOffset - before.frameGroupOffset, QPoint(100, 0));
    QCOMPARE(after.cornerGroupOffset - before.cornerGroupOffset, QPoint(100, 0));
    QCOMPARE(after.stepGroupOffset.x() - before.stepGroupOffset.x(), 50);
    QCOMPARE(after.edit.width() - before.edit.width(), 100);
    QCOMPARE(after.createButton.x() - before.createButton.x(), 50);
    QCOMPARE(after.playButton.x() - before.playButton.x(), 50);
    QCOMPARE(before.frameGroupOffset, QPoint(0, 0));
    QCOMPARE(before.cornerGroupOffset, QPoint(0, 0));
    // The Create button sits 15 pixels above the bottom, Save As 48 above it, the edit beside it.
    QCOMPARE(before.createButton, QPoint(542 / 2 - 90 - 3, 608 - 40 - 15));
    QCOMPARE(before.saveAsButton, QPoint(20, before.createButton.y() - 48));
    QCOMPARE(before.edit, QRect(60, before.saveAsButton.y() + 6, 542 - 50 - 40, 21));
    QCOMPARE(before.pictureArea.top(), 37 + 60 + 47);
    QCOMPARE(before.pictureArea.bottom() + 1, before.saveAsButton.y() - 57);
    QCOMPARE(before.playButton.y(), before.pictureBox.bottom() + 1);
}

QTEST_APPLESS_MAIN(TestMainWindowRules)
#include "tst_mainwindow_rules.moc"
