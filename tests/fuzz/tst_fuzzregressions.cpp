#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <cstddef>
#include <cstdint>

extern "C" {
int fuzz_ini_input(const uint8_t *data, size_t size);
int fuzz_encoder_time_input(const uint8_t *data, size_t size);
int fuzz_font_list_input(const uint8_t *data, size_t size);
int fuzz_font_coverage_input(const uint8_t *data, size_t size);
int fuzz_caption_fonts_input(const uint8_t *data, size_t size);
int fuzz_picture_input(const uint8_t *data, size_t size);
int fuzz_audio_input(const uint8_t *data, size_t size);
int fuzz_aac_lc_input(const uint8_t *data, size_t size);
int fuzz_mp4_check_input(const uint8_t *data, size_t size);
int fuzz_startup_files_input(const uint8_t *data, size_t size);
int fuzz_system_settings_input(const uint8_t *data, size_t size);
int fuzz_song_tags_input(const uint8_t *data, size_t size);
int fuzz_song_cover_input(const uint8_t *data, size_t size);
}

namespace {

struct Target
{
    const char *name;
    int (*input)(const uint8_t *, size_t);
};

const Target Targets[] = {
    {"fuzz_ini", fuzz_ini_input},
    {"fuzz_encoder_time", fuzz_encoder_time_input},
    {"fuzz_font_list", fuzz_font_list_input},
    {"fuzz_font_coverage", fuzz_font_coverage_input},
    {"fuzz_caption_fonts", fuzz_caption_fonts_input},
    {"fuzz_picture", fuzz_picture_input},
    {"fuzz_audio", fuzz_audio_input},
    {"fuzz_aac_lc", fuzz_aac_lc_input},
    {"fuzz_mp4_check", fuzz_mp4_check_input},
    {"fuzz_startup_files", fuzz_startup_files_input},
    {"fuzz_system_settings", fuzz_system_settings_input},
    {"fuzz_song_tags", fuzz_song_tags_input},
    {"fuzz_song_cover", fuzz_song_cover_input},
};

} // namespace

// Inputs the fuzz targets once failed on, kept under tests/fuzz/regressions/<target>/. A check that
// fails aborts, as under libFuzzer.
class TestFuzzRegressions : public QObject
{
    Q_OBJECT

private slots:
    void input_data();
    void input();
};

void TestFuzzRegressions::input_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("file");
    const QDir regressions(QStringLiteral(VELMORA_TEST_SOURCE_DIR "/fuzz/regressions"));
    for (int t = 0; t < int(std::size(Targets)); ++t) {
        const QDir folder(regressions.filePath(QString::fromLatin1(Targets[t].name)));
        for (const QString &name : folder.entryList(QDir::Files))
            QTest::addRow("%s/%s", Targets[t].name, qPrintable(name)) << t << folder.filePath(name);
    }
}

void TestFuzzRegressions::input()
{
    QFETCH(int, target);
    QFETCH(QString, file);
    QFile in(file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    QCOMPARE(Targets[target].input(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())), 0);
}

QTEST_MAIN(TestFuzzRegressions)
#include "tst_fuzzregressions.moc"
