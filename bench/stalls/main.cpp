// The window's longest stall and the program's peak memory while it opens hostile songs, builds
// an MP4 from a song whose cover is huge, and draws a caption in a font whose file is huge.
//   bench_stalls make DIR        makes the media that DIR lacks
//   bench_stalls song FILE       opens FILE as the song (as a drop or the command line does)
//   bench_stalls mp4 FILE        opens FILE, then Create as MP4 until the build is complete
//   bench_stalls caption FONT    types a caption in the caption dialog with the font named FONT
// One line: the case, the longest gap of the event loop, the peak memory, and the goal.
#include "BenchSupport.h"
#include "app/Application.h"
#include "base/AppSettings.h"
#include "mainwindow/AudioStep.h"
#include "mainwindow/MainWindow.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

#include <cstdio>

namespace {

constexpr qint64 StallGoalMs = 200;
constexpr long MemoryGoalKb = 300 * 1024;

// The event loop's longest gap: a timer due every 10 ms notes how late each tick comes.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = std::max(m_longest, m_since.restart());
        });
    }
    void start()
    {
        m_longest = 0;
        m_since.start();
        m_timer.start();
    }
    qint64 longest() const { return std::max(m_longest, m_since.elapsed()); }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

bool ffmpeg(const QStringList &arguments)
{
    return BenchSupport::run(AppSettings::instance().encoderPath(),
                             QStringList{"-hide_banner", "-nostdin", "-y", "-v", "error"} + arguments);
}

QByteArray be32(quint32 v)
{
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

QByteArray flacPicture(int type, const QByteArray &mime, qint64 size)
{
    return be32(quint32(type)) + be32(quint32(mime.size())) + mime + be32(0) + be32(0) + be32(0)
        + be32(24) + be32(0) + be32(quint32(size));
}

// Writes the pieces one after another, each followed by a hole of its size (a sparse file).
bool writeSparse(const QString &path, const QList<QPair<QByteArray, qint64>> &pieces)
{
    QFile file(path + ".part");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    qint64 at = 0;
    for (const auto &[bytes, hole] : pieces) {
        if (!file.seek(at) || file.write(bytes) != bytes.size())
            return false;
        at += bytes.size() + hole;
    }
    return file.resize(at) && file.rename(path);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool makeMedia(const QDir &dir)
{
    const QStringList tone{"-f", "lavfi", "-i", "sine=frequency=440:duration=5"};
    const QString mp3 = dir.filePath("cover-250MB.mp3");
    if (!QFile::exists(mp3)) {
        const QString bare = dir.filePath("bare.mp3");
        if (!ffmpeg(tone + QStringList{"-c:a", "libmp3lame", "-id3v2_version", "0", bare}))
            return false;
        const qint64 picture = 250 * 1000 * 1000;
        const QByteArray body("\0image/jpeg\0\x03\0\xff\xd8\xff\xe0", 18);
        const QByteArray apic = "APIC" + be32(quint32(body.size() - 4 + picture)) + QByteArray(2, '\0');
        const quint32 size = quint32(apic.size() + body.size() - 4 + picture);
        QByteArray header("ID3\x03\x00\x00", 6);
        for (int shift : {21, 14, 7, 0})
            header += char((size >> shift) & 0x7f);
        if (!writeSparse(mp3, {{header + apic + body, picture - 4}, {fileBytes(bare), 0}}))
            return false;
        QFile::remove(bare);
    }
    const QString flac = dir.filePath("pictures-40x16MB.flac");
    if (!QFile::exists(flac)) {
        const QString bare = dir.filePath("bare.flac");
        if (!ffmpeg(tone + QStringList{"-c:a", "flac", bare}))
            return false;
        QByteArray song = fileBytes(bare);
        const bool last = quint8(song.at(4)) & 0x80;
        song[4] = char(quint8(song.at(4)) & 0x7f);
        const int after = 8 + (quint8(song.at(5)) << 16 | quint8(song.at(6)) << 8 | quint8(song.at(7)));
        QList<QPair<QByteArray, qint64>> pieces{{song.left(after), 0}};
        const qint64 picture = 16 * 1000 * 1000;
        for (int i = 0; i < 40; ++i) {
            const QByteArray head = flacPicture(i == 0 ? 3 : 0, "image/png", picture);
            QByteArray block = be32(quint32(head.size() + picture));
            block[0] = char(i == 39 && last ? 0x86 : 0x06);
            pieces.append({block + head + QByteArray("\x89PNG\r\n\x1a\n", 8), picture - 8});
        }
        pieces.append({song.mid(after), 0});
        if (!writeSparse(flac, pieces))
            return false;
        QFile::remove(bare);
    }
    const QString ogg = dir.filePath("cover-60MB.ogg");
    if (!QFile::exists(ogg)) {
        // A picture of noise bytes behind a PNG signature, base64 in METADATA_BLOCK_PICTURE.
        QByteArray picture(60 * 1000 * 1000, '\0');
        quint32 x = 12345;
        for (char &c : picture) {
            x = x * 1664525u + 1013904223u;
            c = char(x >> 24);
        }
        picture.replace(0, 8, QByteArray("\x89PNG\r\n\x1a\n", 8));
        const QByteArray block = flacPicture(3, "image/png", picture.size()) + picture;
        const QString meta = dir.filePath("meta.txt");
        QFile file(meta);
        if (!file.open(QIODevice::WriteOnly)
            || file.write(";FFMETADATA1\nMETADATA_BLOCK_PICTURE=" + block.toBase64().replace("=", "\\=") + "\n") < 0)
            return false;
        file.close();
        if (!ffmpeg(tone + QStringList{"-f", "ffmetadata", "-i", meta, "-map", "0:a", "-map_metadata", "1",
                                       "-c:a", "libvorbis", ogg + ".part.ogg"})
            || !QFile::rename(ogg + ".part.ogg", ogg))
            return false;
        QFile::remove(meta);
    }
    const QString m4a = dir.filePath("cover-16000x16000-16bit.m4a");
    if (!QFile::exists(m4a)) {
        const QString png = dir.filePath("cover-16000x16000-16bit.png");
        QImage image(16000, 16000, QImage::Format_Grayscale16);
        if (image.isNull())
            return false;
        for (int y = 0; y < image.height(); ++y) {
            auto *row = reinterpret_cast<quint16 *>(image.scanLine(y));
            for (int i = 0; i < image.width(); ++i)
                row[i] = quint16((i * 7 + y * 3) & 0xffff);
        }
        QImageWriter writer(png, "png");
        if (!writer.write(image))
            return false;
        image = {};
        if (!ffmpeg(tone + QStringList{"-i", png, "-map", "0:a", "-map", "1:v", "-c:a", "aac", "-c:v", "copy",
                                       "-disposition:v", "attached_pic", m4a + ".part.m4a"})
            || !QFile::rename(m4a + ".part.m4a", m4a))
            return false;
        QFile::remove(png);
    }
    return true;
}

// Runs until `done` holds, checking every 20 ms; false after `seconds`.
bool waitFor(const std::function<bool()> &done, int seconds)
{
    QEventLoop loop;
    QTimer check;
    QElapsedTimer since;
    since.start();
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || since.elapsed() > seconds * 1000)
            loop.quit();
    });
    check.start(20);
    loop.exec();
    return done();
}

// Opens the song as a drop does and waits until it is measured and its tags and cover are read.
bool openSong(MainWindow &window, const QString &path)
{
    bool measured = false;
    bool read = false;
    QObject::connect(&window.audio(), &AudioStep::lengthMeasured, &window, [&] { measured = true; });
    QObject::connect(&window.audio(), &AudioStep::songRead, &window, [&] { read = true; });
    window.openFile(path);
    // The song's content is checked off the window's thread before the song is taken.
    if (!waitFor([&] { return !window.isCheckingSong(); }, 120) || window.audioPath() != path)
        return false;
    return waitFor([&] { return measured && read; }, 120);
}

void typeText(QWidget *target, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(target, &release);
        // Each key is its own event, as typing gives them.
        waitFor([] { return false; }, 0);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_stalls make DIR | song FILE | mp4 FILE | caption FONT\n");
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString argument = QString::fromLocal8Bit(argv[2]);

    Application velmora;
    if (!velmora.loadSettings())
        return 1;
    if (mode == QLatin1String("make"))
        return makeMedia(QDir(argument)) ? 0 : 1;

    QStringList messages;
    MessageBox::setHook([&messages](const MessageBox::Message &message) {
        messages << message.text.simplified();
        return QMessageBox::No;
    });
    MainWindow window;
    if (!window.initialize())
        return 1;
    window.show();
    waitFor([] { return false; }, 1);

    StallMeter meter;
    meter.start();
    QString outcome;
    if (mode == QLatin1String("song")) {
        outcome = openSong(window, argument) ? QStringLiteral("opened") : QStringLiteral("not opened");
        if (window.audioPath() != argument)
            outcome = QStringLiteral("not opened");
    } else if (mode == QLatin1String("mp4")) {
        QTemporaryDir out;
        bool complete = false;
        if (openSong(window, argument)) {
            window.outputEdit()->setText(out.filePath(QStringLiteral("pictune.mp4")));
            // The completion dialog is modal: it is closed once it shows.
            QTimer closer;
            QObject::connect(&closer, &QTimer::timeout, [&complete] {
                QWidget *modal = QApplication::activeModalWidget();
                if (modal && modal->inherits("CompletionDialog")) {
                    complete = true;
                    static_cast<QDialog *>(modal)->reject();
                }
            });
            closer.start(50);
            QTimer::singleShot(0, &window, [&window] { window.createVideo(); });
            waitFor([&complete] { return complete; }, 600);
        }
        outcome = complete ? QStringLiteral("Complete") : QStringLiteral("not complete");
    } else if (mode == QLatin1String("caption")) {
        window.openCaptionDialog();
        waitFor([] { return false; }, 1);
        QWidget *dialog = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->inherits("CaptionDialog"))
                dialog = w;
        }
        QWidget *edit = nullptr;
        if (dialog) {
            for (QComboBox *box : dialog->findChildren<QComboBox *>()) {
                const int font = box->findText(argument);
                if (font >= 0) {
                    box->setCurrentIndex(font);
                    emit box->activated(font);
                }
            }
            edit = dialog->findChild<QLineEdit *>();
            if (!edit)
                edit = dialog->findChild<QPlainTextEdit *>();
            if (!edit)
                edit = dialog->findChild<QTextEdit *>();
        }
        if (edit) {
            edit->setFocus();
            typeText(edit, QStringLiteral("Hi \u6f22\u5b57"));
            waitFor([] { return false; }, 5);
            outcome = QStringLiteral("typed");
        } else {
            outcome = QStringLiteral("no caption dialog");
        }
    }
    const qint64 stall = meter.longest();
    const long peak = BenchSupport::peakKb();
    const bool met = stall < StallGoalMs && peak < MemoryGoalKb;
    std::printf("%-34s longest stall %5lld ms, peak memory %6.1f MB: %s (%s%s%s)\n",
                qPrintable(QDir(argument).dirName()), stall, peak / 1024.0, met ? "goal met" : "goal NOT met",
                qPrintable(outcome), messages.isEmpty() ? "" : "; ",
                qPrintable(messages.join(QStringLiteral("; ")).left(160)));
    window.hide();
    return 0;
}
