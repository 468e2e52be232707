#include "AudioFixtures.h"

#include "media/AudioLength.h"
#include "media/AudioPreview.h"
#include "media/FileClassification.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <memory>

// Hostile audio files: headers that state absurd formats or the wrong length, and songs followed
// by a long tail of zeros or junk (a pre-allocated download). Measuring stays bounded and finds
// the audio that is really there; playing converts in bounded steps.
class TestAudioHostile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void absurdFormatsAreRefused_data();
    void absurdFormatsAreRefused();
    void lowRatePlaysInBoundedSteps();
    void tailThatIsNoAudioIsNotMeasured_data();
    void tailThatIsNoAudioIsNotMeasured();
    void infoFrameIsCheckedAgainstTheFile_data();
    void infoFrameIsCheckedAgainstTheFile();
    void budgetAndCancelEndMeasuring();
    void measurerDeliversOnItsThread();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    bool append(const QString &name, const QByteArray &bytes) const;

    QTemporaryDir m_dir;
    QString m_mp3;     // 2 s, with an info frame
    QString m_bare;    // 2 s MP3 without an info frame
};

namespace {

// A PCM WAV header as a writer that trusts nothing would never make it.
QByteArray wavHeader(quint32 rate, quint16 channels, quint16 bits, quint32 dataBytes)
{
    QByteArray h("RIFF....WAVEfmt ");
    h.reserve(44);
    auto le32 = [&h](quint32 v) { char b[4]; qToLittleEndian(v, b); h.append(b, 4); };
    auto le16 = [&h](quint16 v) { char b[2]; qToLittleEndian(v, b); h.append(b, 2); };
    le32(16);
    le16(1);
    le16(channels);
    le32(rate);
    le32(rate * channels * bits / 8);
    le16(quint16(channels * bits / 8));
    le16(bits);
    h.append("data");
    le32(dataBytes);
    qToLittleEndian(quint32(36 + dataBytes), h.data() + 4);
    return h;
}

QByteArray junk(qint64 bytes)
{
    QByteArray data(bytes, Qt::Uninitialized);
    quint32 x = 88172645u;
    for (char &c : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = char(x);
    }
    return data;
}

} // namespace

void TestAudioHostile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_mp3 = path("song.mp3");
    m_bare = path("bare.mp3");
    QVERIFY(AudioFixtures::makeTone(m_mp3, 2, {"-c:a", "libmp3lame"}));
    QVERIFY(AudioFixtures::makeTone(m_bare, 2, {"-c:a", "libmp3lame", "-write_xing", "0"}));
}

bool TestAudioHostile::append(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

void TestAudioHostile::absurdFormatsAreRefused_data()
{
    QTest::addColumn<quint32>("rate");
    QTest::addColumn<quint16>("channels");
    // 53 KB at 1 Hz once made playing take 3 GB.
    QTest::newRow("1 Hz") << 1u << quint16(1);
    QTest::newRow("999 Hz") << 999u << quint16(1);
    QTest::newRow("4 GHz") << 4000000000u << quint16(1);
    QTest::newRow("65 channels") << 44100u << quint16(65);
    QTest::newRow("65535 channels") << 44100u << quint16(65535);
}

void TestAudioHostile::absurdFormatsAreRefused()
{
    QFETCH(quint32, rate);
    QFETCH(quint16, channels);
    const QString name = QStringLiteral("absurd-%1-%2.wav").arg(rate).arg(channels);
    QVERIFY(append(name, wavHeader(rate, channels, 16, 53000) + QByteArray(53000, '\x10')));

    QCOMPARE(measureAudioLength(path(name)).status, AudioLengthResult::NotAudio);
    QVERIFY(!probeAudioFile(path(name)));
    QCOMPARE(classifyFile(path(name)).kind, FileClassification::Kind::Nothing);
    AudioPreview preview;
    QCOMPARE(preview.start(), QString());
    QVERIFY(!preview.open(path(name)));
}

// The lowest rate taken makes 44 output frames of each input frame; a whole packet converted at
// once was the fault. It plays to its end with every frame there.
void TestAudioHostile::lowRatePlaysInBoundedSteps()
{
    const quint32 rate = 1000;
    const QString name = "low-rate.wav";
    QVERIFY(append(name, wavHeader(rate, 2, 16, rate * 4) + junk(rate * 4)));
    const AudioLengthResult length = measureAudioLength(path(name));
    QCOMPARE(length.status, AudioLengthResult::Measured);
    QCOMPARE(length.seconds, 1.0);

    AudioPreview preview;
    QCOMPARE(preview.start(), QString());
    preview.play(path(name));
    QTRY_COMPARE_WITH_TIMEOUT(preview.state(), AudioPreview::Ended, 10000);
    QVERIFY(qAbs(preview.position() - 1.0) < 0.01);
}

void TestAudioHostile::tailThatIsNoAudioIsNotMeasured_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<QString>("tail");
    // Whether the encoder is told to stop reading after the audio: not for MP4, whose index may
    // follow the audio.
    QTest::addColumn<bool>("bounded");
    // A sparse file stands in for a big download: only its first blocks take room.
    QTest::newRow("20 GB of zeros after an MP3 without info frame") << "bare" << "zeros" << true;
    QTest::newRow("20 GB of zeros after an MP3 with info frame") << "info" << "zeros" << true;
    QTest::newRow("32 MB of junk after an MP3 without info frame") << "bare" << "junk" << true;
    QTest::newRow("32 MB of junk after ADTS AAC") << "adts" << "junk" << true;
    QTest::newRow("20 GB of zeros after FLAC") << "flac" << "zeros" << true;
    QTest::newRow("20 GB of zeros after M4A") << "m4a" << "zeros" << false;
}

void TestAudioHostile::tailThatIsNoAudioIsNotMeasured()
{
    QFETCH(QString, song);
    QFETCH(QString, tail);
    QFETCH(bool, bounded);
    const QString extension = song == "adts" ? "aac" : song == "bare" || song == "info" ? "mp3" : song;
    const QString name = QStringLiteral("%1-%2.%3").arg(song, tail, extension);
    if (song == "adts")
        QVERIFY(AudioFixtures::makeTone(path(name), 2, {"-c:a", "aac", "-f", "adts"}));
    else if (song == "bare" || song == "info")
        QVERIFY(QFile::copy(song == "bare" ? m_bare : m_mp3, path(name)));
    else
        QVERIFY(AudioFixtures::makeTone(path(name), 2, {}));
    const AudioLengthResult whole = measureAudioLength(path(name));
    const double expected = whole.seconds;
    QVERIFY(qAbs(expected - 2.0) < 0.1);
    // Nothing to leave out of a file that is all audio.
    QCOMPARE(whole.readLimit, -1);
    const qint64 songBytes = QFileInfo(path(name)).size();

    if (tail == "zeros")
        QVERIFY(QFile::resize(path(name), 20LL * 1024 * 1024 * 1024));
    else
        QVERIFY(append(name, junk(32 * 1024 * 1024)));

    QVERIFY(probeAudioFile(path(name)));
    const AudioLengthResult result = measureAudioLength(path(name));
    QCOMPARE(result.status, AudioLengthResult::Measured);
    QVERIFY2(qAbs(result.seconds - expected) < 0.05, qPrintable(QString::number(result.seconds)));
    if (bounded) {
        // FLAC's parser makes packets of the first zeros too: up to twice the measuring's margin.
        QVERIFY2(result.readLimit >= songBytes && result.readLimit <= songBytes + 33 * 1024 * 1024,
                 qPrintable(QString::number(result.readLimit)));
    } else {
        QCOMPARE(result.readLimit, -1);
    }
}

void TestAudioHostile::infoFrameIsCheckedAgainstTheFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("three files joined") << "joined";
    QTest::newRow("frame count patched to 2^32-1") << "frames";
    QTest::newRow("frames = bytes = 1") << "ones";
}

void TestAudioHostile::infoFrameIsCheckedAgainstTheFile()
{
    QFETCH(QString, fault);
    QFile source(m_mp3);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    if (fault == "joined") {
        bytes = bytes + bytes + bytes;
    } else {
        int tag = bytes.indexOf("Info");
        if (tag < 0)
            tag = bytes.indexOf("Xing");
        QVERIFY(tag > 0);
        QCOMPARE(quint8(bytes.at(tag + 7)) & 3, 3); // frame and byte counts present
        qToBigEndian(fault == "frames" ? 0xffffffffu : 1u, bytes.data() + tag + 8);
        if (fault == "ones")
            qToBigEndian(1u, bytes.data() + tag + 12);
    }
    const QString name = fault + ".mp3";
    QVERIFY(append(name, bytes));

    const double decoded = AudioFixtures::decodedLength(path(name));
    QVERIFY(decoded > 1.9);
    const AudioLengthResult result = measureAudioLength(path(name));
    QCOMPARE(result.status, AudioLengthResult::Measured);
    QVERIFY2(qAbs(result.seconds - decoded) < 0.15,
             qPrintable(QStringLiteral("%1 s measured, %2 s decoded").arg(result.seconds).arg(decoded)));
}

void TestAudioHostile::budgetAndCancelEndMeasuring()
{
    const QString name = "budget.mp3";
    QVERIFY(QFile::copy(m_bare, path(name)));
    QVERIFY(QFile::resize(path(name), 20LL * 1024 * 1024 * 1024));
    QCOMPARE(measureAudioLength(path(name), nullptr, 0).status, AudioLengthResult::TimedOut);
    std::atomic<bool> cancel{true};
    QCOMPARE(measureAudioLength(path(name), &cancel).status, AudioLengthResult::Canceled);
}

void TestAudioHostile::measurerDeliversOnItsThread()
{
    const QString zeros = path("deliver.mp3");
    QVERIFY(QFile::copy(m_bare, zeros));
    QVERIFY(QFile::resize(zeros, 20LL * 1024 * 1024 * 1024));

    AudioLengthMeasurer measurer;
    QSignalSpy spy(&measurer, &AudioLengthMeasurer::measured);
    // A file replaced by the next one is never reported.
    measurer.measure(zeros);
    measurer.measure(m_mp3);
    QVERIFY(measurer.isMeasuring());
    QCOMPARE(measurer.path(), m_mp3);
    QTRY_COMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), m_mp3);
    const auto result = spy.at(0).at(1).value<AudioLengthResult>();
    QCOMPARE(result.status, AudioLengthResult::Measured);
    QVERIFY(!measurer.isMeasuring());

    // Canceled, or destroyed while it measures: nothing arrives, nothing is left running.
    measurer.measure(zeros);
    measurer.cancel();
    QTest::qWait(50);
    QCOMPARE(spy.size(), 1);
    auto gone = std::make_unique<AudioLengthMeasurer>();
    gone->measure(zeros);
    gone.reset();
}

QTEST_MAIN(TestAudioHostile)
#include "tst_audiohostile.moc"
