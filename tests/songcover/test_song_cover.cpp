#include "SongFixtures.h"
#include "TestSupport.h"

#include "media/AudioLength.h"
#include "media/FileClassification.h"
#include "media/PictureFile.h"
#include "media/SongCoverReader.h"
#include "media/SongFileTags.h"
#include "media/SongTags.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace SongFixtures;

// Reading a song's tags and cover from each container, and every cover the program must leave
// out without a word: none, broken, huge, of a type it does not open.
class TestSongCover : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void coverAndTags_data();
    void coverAndTags();
    void unusableCover_data();
    void unusableCover();
    void tagOfMegabytes();
    void fileTags_data();
    void fileTags();
    void unusedPicturesUnread_data();
    void unusedPicturesUnread();
    void notASong();
    void cleanTag_data();
    void cleanTag();
    void caption_data();
    void caption();
    void newestRequestWins();

private:
    // Files in the cover folder: the copies the reader left behind.
    QStringList coverFiles() const;

    QTemporaryDir m_media;
    QTemporaryDir m_covers;
    QString m_redJpeg;
    QString m_bluePng;
};

void TestSongCover::initTestCase()
{
    m_redJpeg = m_media.filePath("red.jpg");
    m_bluePng = m_media.filePath("blue.png");
    QVERIFY(makePicture(m_redJpeg, 120, 90, Qt::red));
    QVERIFY(makePicture(m_bluePng, 64, 80, Qt::blue));
}

QStringList TestSongCover::coverFiles() const
{
    return QDir(m_covers.path()).entryList(QDir::Files);
}

void TestSongCover::coverAndTags_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("png");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("artist");

    // ID3v2.3 stores these in UTF-16, FLAC and Ogg comments and MP4 atoms in UTF-8.
    QTest::addRow("mp3 APIC, accents and CJK") << "mp3" << false << QStringLiteral("Café Ünïcode 東京の夜")
                                               << QStringLiteral("Björk Guðmundsdóttir");
    QTest::addRow("flac PICTURE, Cyrillic and emoji") << "flac" << true << QStringLiteral("Песня 🎵🎸")
                                                      << QStringLiteral("Группа");
    QTest::addRow("m4a covr, Greek and Arabic") << "m4a" << false << QStringLiteral("Τραγούδι")
                                                << QStringLiteral("فرقة");
    QTest::addRow("ogg METADATA_BLOCK_PICTURE, Korean and combining marks")
        << "ogg" << true << QStringLiteral("노래 e\u0301te\u0301") << QStringLiteral("가수");
}

void TestSongCover::coverAndTags()
{
    QFETCH(QString, suffix);
    QFETCH(bool, png);
    QFETCH(QString, title);
    QFETCH(QString, artist);
    const QString song = m_media.filePath("tagged." + suffix);
    QVERIFY(makeSong(song, png ? m_bluePng : m_redJpeg,
                     {{"title", title}, {"artist", artist}, {"album", "Album"}}));

    const SongInfo info = readSongInfo(song, m_covers.path());
    QVERIFY(info.readable);
    QCOMPARE(info.songPath, song);
    QCOMPARE(info.tags.title, title);
    QCOMPARE(info.tags.artist, artist);
    QCOMPARE(info.tags.album, QStringLiteral("Album"));
    QVERIFY2(info.coverProblem.isEmpty(), qPrintable(info.coverProblem));

    // A private copy, byte for byte the picture that was attached.
    QCOMPARE(QFileInfo(info.coverPath).absolutePath(), m_covers.path());
    QCOMPARE(fileBytes(info.coverPath), fileBytes(png ? m_bluePng : m_redJpeg));
    const QImage cover = loadPictureFile(info.coverPath);
    QCOMPARE(cover.size(), png ? QSize(64, 80) : QSize(120, 90));
    QVERIFY(QFile::remove(info.coverPath));
}

void TestSongCover::unusableCover_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QByteArray>("mime");

    QTest::addColumn<bool>("leftOut"); // the program saw the cover and left it out

    const QByteArray brokenJpeg = fileBytes(m_redJpeg).left(20) + QByteArray(4000, '\x55');
    const QByteArray huge = pngHeaderClaiming(30000, 30000);
    QTest::addRow("mp3 without cover") << "mp3" << QByteArray() << QByteArray() << false;
    QTest::addRow("mp3, JPEG that does not decode") << "mp3" << brokenJpeg << QByteArray("image/jpeg") << true;
    QTest::addRow("mp3, 30000x30000 PNG") << "mp3" << huge << QByteArray("image/png") << true;
    QTest::addRow("mp3, WebP labelled JPEG")
        << "mp3" << QByteArray("RIFF\x24\x00\x00\x00WEBPVP8 ", 16) + QByteArray(40, '\0')
        << QByteArray("image/jpeg") << true;
    // The demuxer already drops types it does not know, and links to other files ("-->").
    QTest::addRow("mp3, SVG") << "mp3" << QByteArray("<?xml version=\"1.0\"?><svg/>")
                              << QByteArray("image/svg+xml") << false;
    QTest::addRow("mp3, link to a file") << "mp3" << QByteArray("/etc/hostname") << QByteArray("-->") << false;
    QTest::addRow("ogg, 30000x30000 PNG") << "ogg" << huge << QByteArray("image/png") << true;
    QTest::addRow("ogg, JPEG that does not decode") << "ogg" << brokenJpeg << QByteArray("image/jpeg") << true;
}

void TestSongCover::unusableCover()
{
    QFETCH(QString, suffix);
    QFETCH(QByteArray, picture);
    QFETCH(QByteArray, mime);
    QFETCH(bool, leftOut);
    const QString song = m_media.filePath("bad." + suffix);
    if (suffix == "mp3") {
        if (picture.isEmpty())
            QVERIFY(makeSong(song, {}, {{"title", "Plain"}}));
        else
            QVERIFY(makeMp3WithRawCover(song, "Plain", picture, mime));
    } else {
        const QString cover = m_media.filePath(mime.endsWith("png") ? "bad.png" : "bad.jpg");
        QFile file(cover);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(picture);
        file.close();
        QVERIFY(makeSong(song, cover, {{"title", "Plain"}}));
    }

    const SongInfo info = readSongInfo(song, m_covers.path());
    QVERIFY(info.readable);
    QCOMPARE(info.tags.title, QStringLiteral("Plain"));
    QVERIFY(info.coverPath.isEmpty());
    QCOMPARE(!info.coverProblem.isEmpty(), leftOut);
    QCOMPARE(coverFiles(), QStringList());
}

void TestSongCover::tagOfMegabytes()
{
    const QString song = m_media.filePath("long.mp3");
    const QByteArray title = QByteArray(3 * 1024 * 1024, 'x');
    QVERIFY(makeMp3WithRawCover(song, title, fileBytes(m_redJpeg), "image/jpeg"));
    const SongInfo info = readSongInfo(song, m_covers.path());
    QVERIFY(info.readable);
    QCOMPARE(info.tags.title.size(), MaxSongTagLength);
    QVERIFY(info.tags.title.endsWith(QChar(0x2026)));
    QVERIFY(!info.coverPath.isEmpty());
    QVERIFY(QFile::remove(info.coverPath));
}

namespace {

// The process's peak resident memory is reset to what it holds now; peakGrowth() then says how
// far it rose since.
qint64 statusKilobytes(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

bool resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

} // namespace

namespace {

QByteArray syncsafe(quint32 n)
{
    const char bytes[4] = {char((n >> 21) & 0x7f), char((n >> 14) & 0x7f), char((n >> 7) & 0x7f), char(n & 0x7f)};
    return QByteArray(bytes, 4);
}

QByteArray bigEndian(quint32 n)
{
    const char bytes[4] = {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
    return QByteArray(bytes, 4);
}

// ID3's unsynchronisation: a 0x00 after every 0xff that precedes 0x00 or 0xe0 and above.
QByteArray unsynchronised(const QByteArray &bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes.size(); ++i) {
        out += bytes.at(i);
        const bool ff = quint8(bytes.at(i)) == 0xff;
        if (ff && (i + 1 == bytes.size() || bytes.at(i + 1) == '\0' || quint8(bytes.at(i + 1)) >= 0xe0))
            out += '\0';
    }
    return out;
}

QByteArray frame23(const QByteArray &id, const QByteArray &body)
{
    return id + bigEndian(quint32(body.size())) + QByteArray(2, '\0') + body;
}

QByteArray tag(int version, char flags, const QByteArray &frames)
{
    const char header[3] = {char(version), '\0', flags};
    return "ID3" + QByteArray(header, 3) + syncsafe(quint32(frames.size())) + frames;
}

} // namespace

void TestSongCover::fileTags_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("cover");
    QTest::addColumn<qint64>("coverSize");

    // Picture bytes that unsynchronisation changes.
    const QByteArray front = QByteArray("\x89PNG\xff\x00\xff\xe0" "front\xff", 14);
    const QByteArray other = QByteArray("\x89PNGother", 9);
    const QByteArray apicOther = frame23("APIC", QByteArray("\0image/png\0\x00\0", 13) + other);
    const QByteArray apicFront = frame23("APIC", QByteArray("\0image/png\0\x03\0", 13) + front);
    const QByteArray title = frame23("TIT2", QByteArray("\x01\xff\xfeT\0i\0", 7));
    QTest::addRow("v2.3, the front cover after another picture")
        << tag(3, 0, title + apicOther + apicFront) << "Ti" << front << qint64(front.size());
    QTest::addRow("v2.3, unsynchronised whole")
        << tag(3, '\x80', unsynchronised(title + apicOther + apicFront)) << "Ti" << front << qint64(front.size());
    const QByteArray body = QByteArray("\0image/png\0\x03\0", 13) + front;
    const QByteArray stored = syncsafe(quint32(body.size())) + unsynchronised(body);
    const QByteArray apic24 = "APIC" + syncsafe(quint32(stored.size())) + QByteArray("\0\x03", 2) + stored;
    const QByteArray title24 = "TIT2" + syncsafe(5) + QByteArray(2, '\0') + QByteArray("\x03Vier", 5);
    QTest::addRow("v2.4, a frame unsynchronised on its own, extended header")
        << QByteArray("ID3\x04\x00\x40", 6) + syncsafe(6 + quint32(title24.size() + apic24.size()))
            + syncsafe(6) + QByteArray("\x01\x00", 2) + title24 + apic24
        << "Vier" << front << qint64(front.size());
    const QByteArray pic22 = "PIC" + bigEndian(quint32(6 + front.size())).mid(1) + QByteArray("\0PNG\x03\0", 6) + front;
    QTest::addRow("v2.2") << tag(2, 0, "TT2" + bigEndian(4).mid(1) + QByteArray("\0Two", 4) + pic22) << "Two"
                          << front << qint64(front.size());
    const QByteArray big(5000, 'x');
    QTest::addRow("cover over the limit: its size, not its bytes")
        << tag(3, 0, frame23("APIC", QByteArray("\0image/jpeg\0\x03\0", 14) + big)) << QString()
        << QByteArray() << qint64(big.size());
    QTest::addRow("unknown picture types are passed over")
        << tag(3, 0, frame23("APIC", QByteArray("\0image/svg+xml\0\x03\0", 17) + front)) << QString()
        << QByteArray() << qint64(-1);
    QTest::addRow("a frame larger than its tag ends the tag")
        << tag(3, 0, title + "APIC" + bigEndian(1 << 30) + QByteArray(2, '\0') + front) << "Ti" << QByteArray()
        << qint64(-1);
}

void TestSongCover::fileTags()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, title);
    QFETCH(QByteArray, cover);
    QFETCH(qint64, coverSize);
    const auto read = [&file](qint64 offset, char *data, qint64 size) -> qint64 {
        const qint64 n = qBound<qint64>(0, file.size() - offset, size);
        memcpy(data, file.constData() + offset, size_t(n));
        return n;
    };
    const SongFileTags tags = readSongFileTags(read, file.size(), 4096);
    QCOMPARE(tags.values.value("title"), title);
    QCOMPARE(tags.coverSize, coverSize);
    QCOMPARE(tags.coverBytes, cover);
}

void TestSongCover::unusedPicturesUnread_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("coverUsed");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<int>("memoryMb");

    // An MP3 whose one cover is over the size limit, and a FLAC whose front cover, a small PNG,
    // follows 40 pictures of 16 MB: nothing of what is left out may be read into memory.
    QTest::addRow("mp3, 250 MB cover") << "mp3" << false << "too large" << 64;
    QTest::addRow("flac, 40 pictures of 16 MB before the front cover") << "flac" << true << "" << 64;
    // Ogg's demuxer reads the whole comment header, base64 and decoded: the song plays all the
    // same, its picture of noise is left out, and the memory stays within a few copies of it.
    QTest::addRow("ogg, 60 MB picture in the comment header") << "ogg" << false << "" << 400;
}

void TestSongCover::unusedPicturesUnread()
{
    QFETCH(QString, suffix);
    QFETCH(bool, coverUsed);
    QFETCH(QString, problem);
    QFETCH(int, memoryMb);
    const QString song = m_media.filePath("pictures." + suffix);
    if (suffix == "mp3")
        QVERIFY(makeMp3WithSparseCover(song, "Plain", 250 * 1024 * 1024));
    else if (suffix == "flac")
        QVERIFY(makeFlacWithSparsePictures(song, 40, 16000000, fileBytes(m_bluePng)));
    else
        QVERIFY(makeOggWithNoisePicture(song, "Plain", 60 * 1000 * 1000));

    if (!resetPeakMemory())
        QSKIP("the kernel does not reset the peak memory");
    const qint64 before = statusKilobytes("VmRSS");
    QCOMPARE(checkSongFile(song).kind, FileClassification::Kind::Song);
    const AudioLengthResult length = measureAudioLength(song);
    QCOMPARE(length.status, AudioLengthResult::Measured);
    QVERIFY2(qAbs(length.seconds - 2.0) < 0.1, qPrintable(QString::number(length.seconds)));
    const SongInfo info = readSongInfo(song, m_covers.path());
    const qint64 growth = statusKilobytes("VmHWM") - before;
    qDebug("peak memory rose by %lld kB", growth);
    QVERIFY2(growth < memoryMb * 1024, qPrintable(QStringLiteral("peak memory rose by %1 kB").arg(growth)));

    QVERIFY(info.readable);
    QCOMPARE(info.tags.title, QStringLiteral("Plain"));
    if (coverUsed) {
        QCOMPARE(fileBytes(info.coverPath), fileBytes(m_bluePng));
        QVERIFY(QFile::remove(info.coverPath));
    } else {
        QVERIFY(info.coverPath.isEmpty());
        QVERIFY2(!info.coverProblem.isEmpty() && info.coverProblem.startsWith(problem), qPrintable(info.coverProblem));
    }
    QCOMPARE(coverFiles(), QStringList());
}

void TestSongCover::notASong()
{
    // A picture named .mp3 is no song: nothing read, nothing copied.
    const QString fake = m_media.filePath("picture.mp3");
    QVERIFY(QFile::copy(m_bluePng, fake));
    const SongInfo info = readSongInfo(fake, m_covers.path());
    QVERIFY(!info.readable);
    QVERIFY(info.coverPath.isEmpty());
    QVERIFY(!readSongInfo(m_media.filePath("missing.flac"), m_covers.path()).readable);
    QCOMPARE(coverFiles(), QStringList());
}

void TestSongCover::cleanTag_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("clean");
    QTest::addRow("as it is") << QStringLiteral("Tōkyō 東京 🎵") << QStringLiteral("Tōkyō 東京 🎵");
    QTest::addRow("line breaks and tabs") << QStringLiteral("  One\r\nTwo\tThree\n") << QStringLiteral("One Two Three");
    QTest::addRow("control characters") << QStringLiteral("A\u0007B\u001b[31mC") << QStringLiteral("A B [31mC");
    QTest::addRow("image tool escapes kept as text") << QStringLiteral("@/etc/passwd %w \\n")
                                                      << QStringLiteral("@/etc/passwd %w \\n");
    const QString emoji = QStringLiteral("🎵");
    // 199 characters, then an emoji across the cut: it goes whole, never by half.
    QTest::addRow("cut before a surrogate pair") << QString(199, 'a') + emoji + QString(10, 'b')
                                                 << QString(199, 'a') + QChar(0x2026);
    QTest::addRow("cut before a combining mark") << QString(198, 'a') + QStringLiteral("e\u0301") + QString(10, 'b')
                                                 << QString(198, 'a') + QChar(0x2026);
    QTest::addRow("exactly the limit") << QString(MaxSongTagLength, 'z') << QString(MaxSongTagLength, 'z');
}

void TestSongCover::cleanTag()
{
    QFETCH(QString, raw);
    QFETCH(QString, clean);
    QCOMPARE(cleanSongTag(raw), clean);
}

void TestSongCover::caption_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("caption");
    QTest::addRow("both") << "Title" << "Artist" << QStringLiteral("Artist \u2013 Title");
    QTest::addRow("title alone") << "Title" << "" << "Title";
    QTest::addRow("artist alone") << "" << "Artist" << "Artist";
    QTest::addRow("none") << "" << "" << "";
}

void TestSongCover::caption()
{
    QFETCH(QString, title);
    QFETCH(QString, artist);
    QFETCH(QString, caption);
    const SongTags tags{title, artist, {}};
    QCOMPARE(songTagsCaption(tags), caption);
    QCOMPARE(tags.hasCaption(), !caption.isEmpty());
}

void TestSongCover::newestRequestWins()
{
    const QString first = m_media.filePath("first.flac");
    const QString second = m_media.filePath("second.m4a");
    QVERIFY(makeSong(first, m_bluePng, {{"title", "First"}}));
    QVERIFY(makeSong(second, m_redJpeg, {{"title", "Second"}}));

    SongCoverReader reader;
    reader.setCoverFolder(m_covers.path());
    QSignalSpy read(&reader, &SongCoverReader::songRead);
    reader.read(first);
    reader.read(second);
    QVERIFY(reader.isReading());
    QTRY_COMPARE(read.size(), 1);
    // Let the first read's late result arrive too: it is dropped with its copy.
    QTRY_COMPARE(coverFiles().size(), 1);
    QTest::qWait(200);
    QCOMPARE(read.size(), 1);
    const SongInfo info = read.first().first().value<SongInfo>();
    QCOMPARE(info.tags.title, QStringLiteral("Second"));
    QCOMPARE(coverFiles(), QStringList{QFileInfo(info.coverPath).fileName()});
    QVERIFY(!reader.isReading());

    // An empty request drops the one running.
    reader.read(first);
    reader.read(QString());
    QVERIFY(!reader.isReading());
    QTest::qWait(300);
    QCOMPARE(read.size(), 1);
    QCOMPARE(coverFiles().size(), 1);
    QVERIFY(QFile::remove(info.coverPath));
}

QTEST_MAIN(TestSongCover)
#include "test_song_cover.moc"
