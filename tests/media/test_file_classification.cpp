#include "common/TestSupport.h"
#include "media/FileClassification.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace TestSupport;

using Kind = FileClassification::Kind;

// What the program makes of a file handed to it, over real files made with the real tools.
class TestFileClassification : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void classify_data();
    void classify();
    void changedFileIsClassifiedAgain();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes);
    QByteArray read(const QString &name) const;

    QTemporaryDir m_dir;
};

void TestFileClassification::write(const QString &name, const QByteArray &bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray TestFileClassification::read(const QString &name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestFileClassification::initTestCase()
{
    QVERIFY(m_dir.isValid());
    int code = 0;
    const auto convert = [&](const QStringList &arguments) {
        runCommand(convertPath(), arguments, &code);
        QCOMPARE(code, 0);
    };
    convert({"-size", "320x200", "plasma:red-blue", path("good.png")});
    convert({"-size", "1200x800", "plasma:orange-purple", "-quality", "95", path("good.jpg")});
    for (const char *name : {"song.wav", "song.ogg", "song.mp3", "song.flac"}) {
        runCommand(ffmpegPath(), {"-nostdin", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=2",
                                  path(name)}, &code);
        QCOMPARE(code, 0);
    }

    // One pixel wider than the image tool takes (so the tool can not make it), in true color.
    QImage wide(16001, 1, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QVERIFY(wide.save(path("wide.png")));

    const QByteArray png = read("good.png");
    const QByteArray jpeg = read("good.jpg");
    const QByteArray wav = read("song.wav");
    QVERIFY(png.size() > 1000 && jpeg.size() > 10000 && wav.size() > 1000);

    write("cut.jpg", jpeg.left(jpeg.size() / 2));
    write("cut-named.png", jpeg.left(jpeg.size() / 2));
    // The header stands; the compressed pixels after it are overwritten.
    QByteArray damaged = png;
    damaged.replace(100, png.size() - 120, QByteArray(png.size() - 120, '\x5A'));
    write("damaged.png", damaged);

    write("png-named.jpg", png);
    write("jpeg-named.tif", jpeg);
    write("wav-named.png", wav);
    write("png-named.mp3", png);
    write("text.jpg", "not a picture\n");
    write("text.mp3", "not a song either\n");
    write("notes.txt", "lyrics\n");
    write("empty.png", {});
    write("empty.mp3", {});

    write("UPPER.PNG", png);
    write(".png", png);
    write("100%d \"quoted\" & #1.png", png);
    write("ünïcødé ♪.jpg", jpeg);
    write("line\nbreak.png", png);
    write("dots.in.the.name.wav", wav);
    write("no extension", png);
    write("trailing dot.", png);
    QVERIFY(QDir(m_dir.path()).mkdir("folder.png"));
    QVERIFY(QFile::link(path("good.png"), path("link.png")));
    QVERIFY(QFile::link(path("gone.png"), path("dangling.png")));
    // Reading a FIFO would wait for a writer forever.
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.jpg")).constData(), 0600), 0);
}

void TestFileClassification::classify_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<PictureFormat>("format");
    QTest::addColumn<QSize>("size");

    const QString cut = "The file ends before the picture does: it may be an unfinished download or copy.";
    const auto picture = [](const char *row, const char *name, PictureFormat format, QSize size) {
        QTest::addRow("%s", row) << QString(name) << Kind::Picture << QString() << format << size;
    };
    const auto refused = [](const char *row, const char *name, const QString &why) {
        QTest::addRow("%s", row) << QString(name) << Kind::Refused << why << PictureFormat::None << QSize();
    };
    const auto other = [](const char *row, const char *name, Kind kind) {
        QTest::addRow("%s", row) << QString(name) << kind << QString() << PictureFormat::None << QSize();
    };

    picture("png", "good.png", PictureFormat::Png, {320, 200});
    picture("jpeg", "good.jpg", PictureFormat::Jpeg, {1200, 800});
    refused("jpeg cut short", "cut.jpg", cut);
    refused("wider than the image tool takes", "wide.png",
            "It is 16001 x 1 pixels (0.02 megapixels): at most 128.00 megapixels can be used, and at most "
            "16000 pixels wide or high.");
    refused("damaged pixels", "damaged.png", "The picture in it is damaged and can not be read.");

    other("wav", "song.wav", Kind::Song);
    other("ogg", "song.ogg", Kind::Song);
    other("mp3", "song.mp3", Kind::Song);
    other("flac", "song.flac", Kind::Song);

    // The content decides within the kind the name gives.
    picture("png named .jpg", "png-named.jpg", PictureFormat::Png, {320, 200});
    picture("jpeg named .tif", "jpeg-named.tif", PictureFormat::Jpeg, {1200, 800});
    refused("jpeg cut short named .png", "cut-named.png", cut);
    other("song named .png", "wav-named.png", Kind::Nothing);
    other("picture named .mp3", "png-named.mp3", Kind::Nothing);
    other("text named .jpg", "text.jpg", Kind::Nothing);
    other("text named .mp3", "text.mp3", Kind::Nothing);
    other("text file", "notes.txt", Kind::Nothing);
    other("empty picture", "empty.png", Kind::Nothing);
    other("empty song", "empty.mp3", Kind::Nothing);
    other("missing", "missing.png", Kind::Nothing);
    other("no name", "", Kind::Nothing);

    picture("upper-case extension", "UPPER.PNG", PictureFormat::Png, {320, 200});
    picture("only an extension", ".png", PictureFormat::Png, {320, 200});
    picture("percent, quotes, ampersand, hash", "100%d \"quoted\" & #1.png", PictureFormat::Png, {320, 200});
    picture("non-ASCII", "ünïcødé ♪.jpg", PictureFormat::Jpeg, {1200, 800});
    picture("line break", "line\nbreak.png", PictureFormat::Png, {320, 200});
    other("dots in the name", "dots.in.the.name.wav", Kind::Song);
    other("no extension", "no extension", Kind::Nothing);
    other("trailing dot", "trailing dot.", Kind::Nothing);
    other("folder with a picture's name", "folder.png", Kind::Nothing);
    picture("link to a picture", "link.png", PictureFormat::Png, {320, 200});
    other("dangling link", "dangling.png", Kind::Nothing);
    other("fifo with a picture's name", "pipe.jpg", Kind::Nothing);
}

void TestFileClassification::classify()
{
    QFETCH(QString, name);
    QFETCH(Kind, kind);
    QFETCH(QString, refusal);
    QFETCH(PictureFormat, format);
    QFETCH(QSize, size);

    const QString file = name.isEmpty() ? QString() : path(name);
    const FileClassification result = classifyFile(file);
    QCOMPARE(result.path, file);
    QCOMPARE(result.kind, kind);
    QCOMPARE(result.refusal, refusal);
    QCOMPARE(result.isOpenable(), kind == Kind::Picture || kind == Kind::Song);
    QCOMPARE(result.picture.format, format);
    QCOMPARE(result.picture.size, size);
    // Asked again, as a drag asks on dropping, the answer is the same.
    const FileClassification again = classifyFile(file);
    QCOMPARE(again.kind, kind);
    QCOMPARE(again.refusal, refusal);
    QCOMPARE(again.picture.size, size);
}

void TestFileClassification::changedFileIsClassifiedAgain()
{
    // One pixel wider than the image tool takes (so the tool can not make it), in true color.
    QImage wide(16001, 1, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QVERIFY(wide.save(path("wide.png")));

    const QByteArray png = read("good.png");
    const QByteArray jpeg = read("good.jpg");
    write("changing.png", png);
    QCOMPARE(classifyFile(path("changing.png")).kind, Kind::Picture);
    write("changing.png", "now a text\n");
    QCOMPARE(classifyFile(path("changing.png")).kind, Kind::Nothing);
    write("changing.png", jpeg.left(jpeg.size() / 3));
    QCOMPARE(classifyFile(path("changing.png")).kind, Kind::Refused);
    write("changing.png", jpeg);
    const FileClassification whole = classifyFile(path("changing.png"));
    QCOMPARE(whole.kind, Kind::Picture);
    QCOMPARE(whole.picture.size, QSize(1200, 800));
}

QTEST_GUILESS_MAIN(TestFileClassification)
#include "test_file_classification.moc"
