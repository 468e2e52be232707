#include "dialogs/WindowPlacement.h"
#include "mainwindow/CreateCheck.h"
#include "mainwindow/MainLayout.h"
#include "mainwindow/StepTips.h"
#include "media/OpenableExtensions.h"
#include "media/SongTags.h"
#include "widgets/WindowMover.h"

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
    void frameAroundPicture_data();
    void frameAroundPicture();
    void createChecks_data();
    void createChecks();
    void resizeEdges_data();
    void resizeEdges();
    void besideOwner_data();
    void besideOwner();
    void pictureStepTips_data();
    void pictureStepTips();
    void audioStepTips_data();
    void audioStepTips();
    void stepTipMarkup_data();
    void stepTipMarkup();
};

namespace {

MainLayoutInput startLayout()
{
    MainLayoutInput in;
    in.initial = QSize(542, 608);
    in.client = in.initial;
    in.createButton = QSize(180, 40);
    in.saveAsButton = QSize(30, 26);
    in.editHeight = 21;
    in.bandHeight = 30;
    in.titleHeight = 37;
    in.stepMarkerHeight = 60;
    in.playButtonWidth = 60;
    in.video = QSize(640, 360);
    return in;
}

} // namespace

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
    MainLayoutInput in = startLayout();

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
    // The band spans the window and the title stays centered.
    QCOMPARE(before.band, QRect(0, 0, 542, 30));
    QCOMPARE(after.band, QRect(0, 0, 642, 30));
    QCOMPARE(before.title, QPoint(542 / 2 - 88, 37));
    QCOMPARE(after.title.x() - before.title.x(), 50);
}

void TestMainWindowRules::frameAroundPicture_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("video");

    QTest::addRow("at start, 360p") << QSize(542, 608) << QSize(640, 360);
    QTest::addRow("wide window, 720p") << QSize(1200, 608) << QSize(1280, 720);
    QTest::addRow("tall window, 240p") << QSize(542, 1000) << QSize(426, 240);
    QTest::addRow("odd sizes, 480p") << QSize(777, 655) << QSize(854, 480);
}

void TestMainWindowRules::frameAroundPicture()
{
    QFETCH(QSize, client);
    QFETCH(QSize, video);
    MainLayoutInput in = startLayout();
    in.client = client;
    in.video = video;
    const MainLayoutResult r = computeMainLayout(in);
    const QRect box = r.pictureBox;
    const FramePieces &f = r.frame;

    // Corners 23 wide; 11 high above the picture, 42 below it where play sits.
    QCOMPARE(f[0], QRect(box.left() - 23, box.top() - 11, 23, 11));
    QCOMPARE(f[1], QRect(box.right() + 1, box.top() - 11, 23, 11));
    QCOMPARE(f[2], QRect(box.right() + 1, box.bottom() + 1, 23, 42));
    QCOMPARE(f[3], QRect(box.left() - 23, box.bottom() + 1, 23, 42));
    // The sides fill exactly the gaps between the corners.
    QCOMPARE(f[4], QRect(f[0].right() + 1, f[0].top(), box.width(), 11));
    QCOMPARE(f[4].right() + 1, f[1].left());
    QCOMPARE(f[5], QRect(f[1].left(), f[1].bottom() + 1, 23, box.height()));
    QCOMPARE(f[5].bottom() + 1, f[2].top());
    QCOMPARE(f[6], QRect(box.left(), f[3].top(), box.width(), 42));
    QCOMPARE(f[7], QRect(f[0].left(), box.top(), 23, box.height()));
    // The play button sits on the bottom piece.
    QVERIFY(f[6].contains(r.playButton));
}

void TestMainWindowRules::createChecks_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<bool>("outputExists");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<bool>("audio");
    QTest::addColumn<double>("duration");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("absolute");
    QTest::addColumn<CreateCheck>("check");

    const QString webm = "/v/clip.webm";
    QTest::addRow("all there") << webm << true << false << true << true << 3.0 << true << true << CreateCheck::Ready;
    QTest::addRow("mpg, upper case") << "/v/CLIP.MPG" << true << false << true << true << 3.0 << true << true
                                     << CreateCheck::Ready;
    QTest::addRow("typed over a video") << webm << true << true << true << true << 3.0 << true << true
                                        << CreateCheck::AskReplace;
    QTest::addRow("the question comes first") << "/v/clip.txt" << true << true << false << false << 0.0 << false
                                              << false << CreateCheck::AskReplace;
    QTest::addRow("chosen over a video") << webm << false << true << true << true << 3.0 << true << true
                                         << CreateCheck::Ready;
    QTest::addRow("no extension") << "/v/clip" << true << false << true << true << 3.0 << true << true
                                  << CreateCheck::WrongExtension;
    QTest::addRow("dot only in a folder") << "/v/my.webm/clip" << true << false << true << true << 3.0 << true
                                          << true << CreateCheck::WrongExtension;
    QTest::addRow("mp4") << "/v/clip.mp4" << true << false << true << true << 3.0 << true << true
                         << CreateCheck::Ready;
    QTest::addRow("extension before picture") << "/v/clip.mkv" << false << false << false << false << 0.0 << false
                                              << false << CreateCheck::WrongExtension;
    QTest::addRow("picture before audio") << webm << false << false << false << false << 3.0 << false << false
                                          << CreateCheck::PictureMissing;
    QTest::addRow("audio gone") << webm << true << false << true << false << 3.0 << true << true
                                << CreateCheck::AudioMissing;
    QTest::addRow("audio of no length") << webm << true << false << true << true << 0.0 << true << true
                                        << CreateCheck::AudioMissing;
    QTest::addRow("audio before folder") << webm << true << false << true << false << 3.0 << false << false
                                         << CreateCheck::AudioMissing;
    QTest::addRow("folder missing") << webm << true << false << true << true << 3.0 << false << true
                                    << CreateCheck::FolderMissing;
    QTest::addRow("relative path") << "clip.webm" << true << false << true << true << 3.0 << true << false
                                   << CreateCheck::FolderMissing;
}

void TestMainWindowRules::createChecks()
{
    QFETCH(QString, output);
    QFETCH(bool, typed);
    QFETCH(bool, outputExists);
    QFETCH(bool, picture);
    QFETCH(bool, audio);
    QFETCH(double, duration);
    QFETCH(bool, folder);
    QFETCH(bool, absolute);
    QFETCH(CreateCheck, check);

    CreateCheckInput in;
    in.outputPath = output;
    in.outputPathTyped = typed;
    in.outputExists = outputExists;
    in.pictureExists = picture;
    in.audioExists = audio;
    in.audioDuration = duration;
    in.folderExists = folder;
    in.pathAbsolute = absolute;
    QCOMPARE(checkCreate(in), check);
}

void TestMainWindowRules::resizeEdges_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<int>("edges");
    QTest::addColumn<int>("cursor");

    // A 400x300 window with a 6 pixel margin.
    QTest::addRow("body") << QPoint(200, 150) << 0 << int(Qt::ArrowCursor);
    QTest::addRow("left") << QPoint(5, 150) << int(Qt::LeftEdge) << int(Qt::SizeHorCursor);
    QTest::addRow("just inside left") << QPoint(6, 150) << 0 << int(Qt::ArrowCursor);
    QTest::addRow("right") << QPoint(394, 150) << int(Qt::RightEdge) << int(Qt::SizeHorCursor);
    QTest::addRow("just inside right") << QPoint(393, 150) << 0 << int(Qt::ArrowCursor);
    QTest::addRow("top") << QPoint(200, 0) << int(Qt::TopEdge) << int(Qt::SizeVerCursor);
    QTest::addRow("bottom") << QPoint(200, 299) << int(Qt::BottomEdge) << int(Qt::SizeVerCursor);
    QTest::addRow("top left") << QPoint(2, 3) << int(Qt::TopEdge | Qt::LeftEdge) << int(Qt::SizeFDiagCursor);
    QTest::addRow("bottom right") << QPoint(399, 299) << int(Qt::BottomEdge | Qt::RightEdge)
                                  << int(Qt::SizeFDiagCursor);
    QTest::addRow("top right") << QPoint(397, 1) << int(Qt::TopEdge | Qt::RightEdge) << int(Qt::SizeBDiagCursor);
    QTest::addRow("bottom left") << QPoint(0, 296) << int(Qt::BottomEdge | Qt::LeftEdge)
                                 << int(Qt::SizeBDiagCursor);
}

void TestMainWindowRules::resizeEdges()
{
    QFETCH(QPoint, pos);
    QFETCH(int, edges);
    QFETCH(int, cursor);
    const Qt::Edges found = WindowMover::edgesAt(pos, QSize(400, 300), 6);
    QCOMPARE(int(found), edges);
    QCOMPARE(int(WindowMover::resizeCursor(found)), cursor);
    QCOMPARE(int(WindowMover::edgesAt(pos, QSize(400, 300), 0)), 0);
}

void TestMainWindowRules::besideOwner_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QRect>("workArea");
    QTest::addColumn<QPoint>("expected");

    const QSize dialog(600, 450);
    // A 1600x1000 screen with a 30-pixel panel at its top.
    const QRect work(0, 30, 1600, 970);
    QTest::addRow("only the right has room") << dialog << QRect(300, 200, 500, 400) << work << QPoint(800, 175);
    QTest::addRow("only the left has room") << dialog << QRect(900, 200, 500, 400) << work << QPoint(300, 175);
    QTest::addRow("both have room: the left has more") << dialog << QRect(750, 200, 200, 400) << work
                                                       << QPoint(150, 175);
    QTest::addRow("both have room alike: the right") << dialog << QRect(700, 200, 200, 400) << work
                                                     << QPoint(900, 175);
    QTest::addRow("the right fits exactly") << dialog << QRect(0, 200, 1000, 400) << work << QPoint(1000, 175);
    QTest::addRow("the left fits exactly") << dialog << QRect(600, 200, 1000, 400) << work << QPoint(0, 175);
    QTest::addRow("neither: least overlap on the right") << dialog << QRect(200, 100, 1000, 800) << work
                                                         << QPoint(1000, 275);
    QTest::addRow("neither: least overlap on the left") << dialog << QRect(400, 100, 1000, 800) << work
                                                        << QPoint(0, 275);
    QTest::addRow("low owner: kept above the bottom") << dialog << QRect(100, 800, 542, 608) << work
                                                      << QPoint(642, 550);
    QTest::addRow("high owner: kept below the panel") << dialog << QRect(100, -100, 400, 300) << work
                                                      << QPoint(500, 30);
    QTest::addRow("taller than the work area: top edge") << QSize(400, 1200) << QRect(100, 100, 400, 300) << work
                                                         << QPoint(500, 30);
    QTest::addRow("wider than the work area: left edge") << QSize(1700, 300) << QRect(100, 100, 400, 300) << work
                                                         << QPoint(0, 100);
    QTest::addRow("second screen, owner off its left") << dialog << QRect(1500, 200, 400, 300)
                                                       << QRect(1600, 0, 1366, 738) << QPoint(1900, 125);
}

void TestMainWindowRules::besideOwner()
{
    QFETCH(QSize, frame);
    QFETCH(QRect, owner);
    QFETCH(QRect, workArea);
    QFETCH(QPoint, expected);
    const QPoint corner = WindowPlacement::besideOwner(frame, owner, workArea);
    QCOMPARE(corner, expected);
    const QRect placed(corner, frame);
    if (frame.width() <= workArea.width() && frame.height() <= workArea.height())
        QVERIFY(workArea.contains(placed));
    const bool room = owner.left() - workArea.left() >= frame.width()
        || workArea.right() - owner.right() >= frame.width();
    if (room)
        QVERIFY(!placed.intersects(owner));
}

void TestMainWindowRules::pictureStepTips_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<bool>("songCover");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("song");
    QTest::addColumn<QString>("tip");

    const QString clear = QStringLiteral("Click here to clear the current Picture File");
    QTest::addRow("empty") << false << false << QString() << QString() << clear;
    // A cover the step no longer shows names nothing.
    QTest::addRow("empty after a cover") << false << true << "/tmp/cover.jpg" << "/m/song.mp3" << clear;
    QTest::addRow("chosen") << true << false << "/home/u/a b.jpg" << QString()
                            << clear + ", which is set to:\n\n/home/u/a b.jpg";
    QTest::addRow("song cover") << true << true << "/tmp/velmora-1/cover.jpg" << "/m/Song.flac"
                                << clear + ", which is the cover art of the song:\n\n/m/Song.flac";
    // Placeholders in a name stay as they are.
    QTest::addRow("placeholders in names") << true << true << "/p/%1.jpg" << "/m/%1 %2.mp3"
                                           << clear + ", which is the cover art of the song:\n\n/m/%1 %2.mp3";
}

void TestMainWindowRules::pictureStepTips()
{
    QFETCH(bool, set);
    QFETCH(bool, songCover);
    QFETCH(QString, picture);
    QFETCH(QString, song);
    QFETCH(QString, tip);
    QCOMPARE(pictureStepTip(set, songCover, picture, song), tip);
}

void TestMainWindowRules::audioStepTips_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<bool>("measuring");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("tip");

    const QString clear = QStringLiteral("Click here to clear the current Audio File");
    const QString set = clear + QStringLiteral(", which is set to:\n\n/m/a b.mp3\n\nDuration: ");
    QTest::addRow("none") << QString() << false << 0.0 << QString() << QString() << clear;
    QTest::addRow("none, tags of the last song") << QString() << false << 3.0 << "T" << "A" << clear;
    QTest::addRow("measuring") << "/m/a b.mp3" << true << 0.0 << QString() << QString() << set + "(measuring)";
    QTest::addRow("measured") << "/m/a b.mp3" << false << 3725.25 << QString() << QString() << set + "1:02:05.250";
    QTest::addRow("not measurable") << "/m/a b.mp3" << false << 0.0 << QString() << QString() << set + "0:00:00.000";
    QTest::addRow("title") << "/m/a b.mp3" << false << 61.5 << "Blue" << QString() << set + "0:01:01.500\nTitle: Blue";
    QTest::addRow("artist") << "/m/a b.mp3" << false << 61.5 << QString() << "Ann" << set + "0:01:01.500\nArtist: Ann";
    QTest::addRow("title and artist") << "/m/a b.mp3" << true << 0.0 << "Blue %1" << "Ann %2"
                                      << set + "(measuring)\nTitle: Blue %1\nArtist: Ann %2";
}

void TestMainWindowRules::audioStepTips()
{
    QFETCH(QString, song);
    QFETCH(bool, measuring);
    QFETCH(double, seconds);
    QFETCH(QString, title);
    QFETCH(QString, artist);
    QFETCH(QString, tip);
    SongTags tags;
    tags.title = title;
    tags.artist = artist;
    tags.album = QStringLiteral("never shown");
    QCOMPARE(audioStepTip(song, measuring, seconds, tags), tip);
}

void TestMainWindowRules::stepTipMarkup_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::addRow("plain") << "Click here, which is set to:\n\n/m/a & b.mp3"
                           << "Click here, which is set to:\n\n/m/a & b.mp3";
    QTest::addRow("less-than alone") << "/p/1 < 2.jpg" << "/p/1 < 2.jpg";
    // The tooltip looks for markup as Qt::mightBeRichText does: before the first line break.
    QTest::addRow("a tag after the first line") << "set to:\n\n/m/<b>bold</b>.mp3" << "set to:\n\n/m/<b>bold</b>.mp3";
    QTest::addRow("a tag and an entity") << "Title: <i>R&amp;B</i>"
                                         << "<p>Title:\u00A0&lt;i&gt;R&amp;amp;B&lt;/i&gt;</p>";
    QTest::addRow("lines after a tag") << "<b>x</b>.mp3\n\nDuration: 0:00:01.000"
                                       << "<p>&lt;b&gt;x&lt;/b&gt;.mp3</p>\n<p>Duration:\u00A00:00:01.000</p>";
}

void TestMainWindowRules::stepTipMarkup()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(stepTipText(text), shown);
}

QTEST_APPLESS_MAIN(TestMainWindowRules)
#include "tst_mainwindow_rules.moc"
