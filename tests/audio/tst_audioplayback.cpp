#include "AudioFixtures.h"

#include "media/AudioPreview.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

// Real playback: SDL's disk driver writes what reaches the device (float stereo at 44100 Hz) to a
// file, and the tests read the tones back from it.
class TestAudioPlayback : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void playsTheToneOfTheFile();
    void pauseSilencesAndPlayResumesWhereItStood();
    void restartAndStopReturnToTheStart();
    void secondFileReplacesTheFirst();
    void playAfterTheEndStartsOver();

private:
    // Frequencies heard in the device file from byte `from` on, one per 1024-frame window; silent
    // windows are left out.
    std::vector<double> heard(qint64 from = 0) const;
    qint64 written() const { return QFileInfo(m_deviceFile).size(); }
    double seconds() const { return m_preview->position(); }

    std::unique_ptr<AudioPreview> m_preview;
    QTemporaryDir m_dir;
    QString m_deviceFile;
    // 0.6 s at 440 Hz, then 1 s at 880 Hz: where playback stands shows in what is heard.
    QString m_twoTones;
};

namespace {

constexpr int Window = 1024;
constexpr int FrameBytes = 8;

bool near(double frequency, double expected)
{
    return qAbs(frequency - expected) < expected * 0.03;
}

int countNear(const std::vector<double> &frequencies, double expected)
{
    int n = 0;
    for (double f : frequencies)
        n += near(f, expected);
    return n;
}

} // namespace

void TestAudioPlayback::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("SDL_AUDIODRIVER", "disk");
    m_twoTones = m_dir.filePath("two tones.wav");
    QVERIFY(AudioFixtures::run(AudioFixtures::ffmpegPath(),
                               {"-hide_banner", "-nostdin", "-y", "-filter_complex",
                                "sine=frequency=440:sample_rate=44100:duration=0.6[a];"
                                "sine=frequency=880:sample_rate=44100:duration=1[b];"
                                "[a][b]concat=n=2:v=0:a=1",
                                "-ac", "2", "-c:a", "pcm_s16le", m_twoTones}));
}

void TestAudioPlayback::init()
{
    m_deviceFile = m_dir.filePath(QStringLiteral("device-%1.raw").arg(QTest::currentTestFunction()));
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_deviceFile));
    m_preview = std::make_unique<AudioPreview>();
    QCOMPARE(m_preview->start(), QString());
}

void TestAudioPlayback::cleanup()
{
    m_preview.reset();
}

std::vector<double> TestAudioPlayback::heard(qint64 from) const
{
    QFile file(m_deviceFile);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(from - from % FrameBytes))
        return {};
    const QByteArray bytes = file.readAll();
    const auto *samples = reinterpret_cast<const float *>(bytes.constData());
    const qsizetype frames = bytes.size() / FrameBytes;
    std::vector<double> result;
    for (qsizetype w = 0; w + Window <= frames; w += Window) {
        int crossings = 0;
        float peak = 0;
        for (int i = 1; i < Window; ++i) {
            const float a = samples[(w + i - 1) * 2];
            const float b = samples[(w + i) * 2];
            peak = qMax(peak, qAbs(b));
            crossings += (a < 0) != (b < 0);
        }
        if (peak > 0.05f)
            result.push_back(crossings / 2.0 * 44100.0 / Window);
    }
    return result;
}

void TestAudioPlayback::playsTheToneOfTheFile()
{
    const QString path = m_dir.filePath("tone 440.ogg");
    QVERIFY(AudioFixtures::makeTone(path, 3, {"-ac", "2", "-c:a", "libvorbis"}));
    QCOMPARE(m_preview->play(path).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(seconds() >= 0.5);
    m_preview->pause();
    const std::vector<double> frequencies = heard();
    QVERIFY(frequencies.size() >= 20);
    // Windows at a tone's start or end cross zero less often; the body is 440 Hz.
    QVERIFY2(countNear(frequencies, 440) >= int(frequencies.size()) - 2,
             qPrintable(QStringLiteral("%1 of %2 windows at 440 Hz")
                            .arg(countNear(frequencies, 440))
                            .arg(frequencies.size())));
}

void TestAudioPlayback::pauseSilencesAndPlayResumesWhereItStood()
{
    QCOMPARE(m_preview->play(m_twoTones).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(seconds() >= 0.3);
    QCOMPARE(m_preview->pause().buttons, AudioTransport::ShowPlayButton);
    QCOMPARE(m_preview->state(), AudioPreview::Paused);
    const double pausedAt = seconds();
    const qint64 pausedBytes = written();
    QTest::qWait(300);
    QCOMPARE(seconds(), pausedAt);
    // What the device got while paused is silence (a period or two already queued aside).
    QVERIFY(written() > pausedBytes + 4 * Window * FrameBytes);
    QVERIFY(heard(pausedBytes + 2 * Window * FrameBytes).empty());

    QCOMPARE(m_preview->play(QString()).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(m_preview->state() == AudioPreview::Ended);
    // Resumed, not restarted: the 440 Hz part was heard once, 0.6 s in all.
    const std::vector<double> all = heard();
    const double at440 = countNear(all, 440) * double(Window) / 44100;
    const double at880 = countNear(all, 880) * double(Window) / 44100;
    QVERIFY2(qAbs(at440 - 0.6) < 0.1, qPrintable(QString::number(at440)));
    QVERIFY2(qAbs(at880 - 1.0) < 0.1, qPrintable(QString::number(at880)));
}

void TestAudioPlayback::restartAndStopReturnToTheStart()
{
    QCOMPARE(m_preview->play(m_twoTones).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(seconds() >= 0.8);
    QVERIFY(near(heard(written() - 2 * Window * FrameBytes).back(), 880));

    qint64 before = written();
    QCOMPARE(m_preview->restart().buttons, AudioTransport::ShowPauseButton);
    QTRY_VERIFY(written() > before + 8 * Window * FrameBytes);
    std::vector<double> after = heard(before + 2 * Window * FrameBytes);
    QVERIFY(!after.empty());
    QVERIFY2(near(after.front(), 440), qPrintable(QString::number(after.front())));

    QTRY_VERIFY(seconds() >= 0.8);
    QCOMPARE(m_preview->stop().buttons, AudioTransport::ShowPlayButton);
    QCOMPARE(m_preview->position(), 0.0);
    QCOMPARE(m_preview->state(), AudioPreview::Stopped);
    before = written();
    QTest::qWait(200);
    QCOMPARE(m_preview->position(), 0.0);
    QCOMPARE(m_preview->play(QString()).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(seconds() >= 0.2);
    after = heard(before + 2 * Window * FrameBytes);
    QVERIFY(!after.empty());
    QVERIFY2(near(after.front(), 440), qPrintable(QString::number(after.front())));
}

void TestAudioPlayback::secondFileReplacesTheFirst()
{
    const QString second = m_dir.filePath("second.flac");
    QVERIFY(AudioFixtures::makeTone(second, 2, {"-ac", "1", "-ar", "48000", "-c:a", "flac"}, 1320));
    QCOMPARE(m_preview->play(m_twoTones).playing, AudioTransport::SetPlaying);
    QTRY_VERIFY(seconds() >= 0.2);

    const qint64 before = written();
    QCOMPARE(m_preview->play(second).playing, AudioTransport::SetPlaying);
    QCOMPARE(m_preview->path(), second);
    QTRY_VERIFY(seconds() >= 0.4);
    const std::vector<double> after = heard(before + 2 * Window * FrameBytes);
    QVERIFY(after.size() >= 10);
    QCOMPARE(countNear(after, 1320), int(after.size()));
}

void TestAudioPlayback::playAfterTheEndStartsOver()
{
    const QString path = m_dir.filePath("short.mp3");
    QVERIFY(AudioFixtures::makeTone(path, 0.3, {"-c:a", "libmp3lame"}));
    QCOMPARE(m_preview->play(path).playing, AudioTransport::SetPlaying);
    QTRY_COMPARE(m_preview->state(), AudioPreview::Ended);
    const double first = seconds();
    QVERIFY(qAbs(first - 0.3) < 0.05);

    const qint64 before = written();
    QCOMPARE(m_preview->play(QString()).playing, AudioTransport::SetPlaying);
    QTRY_COMPARE(m_preview->state(), AudioPreview::Ended);
    QCOMPARE(seconds(), first);
    const std::vector<double> again = heard(before);
    QVERIFY(countNear(again, 440) >= 10);
}

QTEST_MAIN(TestAudioPlayback)
#include "tst_audioplayback.moc"
