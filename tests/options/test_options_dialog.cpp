#include "base/AppSettings.h"
#include "base/IniFile.h"
#include "base/Settings.h"
#include "common/TestSupport.h"
#include "dialogs/OptionsDialog.h"
#include "dialogs/OptionsRules.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

// Other sections, a comment, a line without "=" and CR LF ends must all survive a save.
const QByteArray OtherContents =
    "; Velmora settings\r\n"
    "[Velmora 1]\r\n"
    "S1=/usr/bin/convert\r\n"
    "PictureFilePath=/nowhere/pictures/\r\n"
    "TargetVideoSize=1\r\n"
    "a line without equals\r\n"
    "AutoPlayOnOpen=1\r\n"
    "\r\n"
    "[Elsewhere]\r\n"
    "AudioFilePath=keep me\r\n";

const char *const NotFound[] = {
    "The chosen Picture File path was not found.\n\nPlease pick a directory that is on a physical hard drive, thanks.",
    "The chosen Audio File path was not found.\n\nPlease pick a directory that is on a physical hard drive, thanks.",
    "The chosen Destination File path was not found.\n\nPlease pick a directory that is on a physical hard drive, thanks.",
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestOptionsDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opening();
    void okSavesFolders_data();
    void okSavesFolders();
    void badFolderRefused_data();
    void badFolderRefused();
    void onlyFirstBadFolderReported();
    void autoPlayTakesEffectAtOnce();
    void cancelAfterBrowseWritesNothing();
    void failedSaveStaysOpen();

private:
    // Shows the dialog, makes it the active window and returns it.
    OptionsDialog *openDialog();
    void setFolders(const QString &picture, const QString &audio, const QString &destination);
    void clickOk();

    std::unique_ptr<ConfigSandbox> m_config;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<OptionsDialog> m_dialog;
    QTemporaryDir m_dir;
    QString m_pictures, m_audio, m_videos;
};

void TestOptionsDialog::init()
{
    QVERIFY(m_dir.isValid());
    // Relative folders are looked up from here: keep them out of the build tree.
    QDir::setCurrent(m_dir.path());
    m_config = std::make_unique<ConfigSandbox>();
    m_config->writeIni(OtherContents);
    m_messages = std::make_unique<MessageRecorder>();
    m_pictures = m_dir.path() + QStringLiteral("/my pictures");
    m_audio = m_dir.path() + QStringLiteral("/audio 'n' %s");
    m_videos = m_dir.path() + QStringLiteral("/vidéos");
    for (const QString &folder : {m_pictures, m_audio, m_videos})
        QVERIFY(QDir().mkpath(folder));
    AppSettings::instance().set(Settings::AutoPlayOnOpen, true);
}

void TestOptionsDialog::cleanup()
{
    m_dialog.reset();
    m_messages.reset();
    m_config.reset();
}

OptionsDialog *TestOptionsDialog::openDialog()
{
    m_dialog = std::make_unique<OptionsDialog>(nullptr);
    m_dialog->show();
    QApplication::setActiveWindow(m_dialog.get());
    if (!QTest::qWaitForWindowActive(m_dialog.get()))
        qWarning("options dialog did not become active");
    return m_dialog.get();
}

void TestOptionsDialog::setFolders(const QString &picture, const QString &audio,
                                   const QString &destination)
{
    m_dialog->folderEdit(0)->setText(picture);
    m_dialog->folderEdit(1)->setText(audio);
    m_dialog->folderEdit(2)->setText(destination);
}

void TestOptionsDialog::clickOk()
{
    QTest::mouseClick(m_dialog->controlAs<QPushButton>(OptionsDialog::OkButton), Qt::LeftButton);
}

void TestOptionsDialog::opening()
{
    // The file says auto-play on, memory says off: the box follows memory.
    AppSettings::instance().set(Settings::AutoPlayOnOpen, false);
    OptionsDialog *dialog = openDialog();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Default File Locations and Options"));
    QCOMPARE(dialog->folderEdit(0)->text(), QStringLiteral("/nowhere/pictures"));
    // Only the dialog's own section counts: the audio key elsewhere is not read.
    QCOMPARE(dialog->folderEdit(1)->text(), Settings::AudioFolder.defaultValue());
    QCOMPARE(dialog->folderEdit(2)->text(), Settings::DestinationFolder.defaultValue());
    QVERIFY(!dialog->autoPlayBox()->isChecked());
    QCOMPARE(dialog->control(OptionsDialog::PictureBrowseButton)->toolTip(),
             QStringLiteral("Browse and choose a new Default for where Velmora looks for Pictures"));
    QVERIFY(!dialog->control(OptionsDialog::DestinationBrowseButton)->accessibleName().isEmpty());
}

void TestOptionsDialog::okSavesFolders_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("readBack");

    const QString pictures = QDir::tempPath();
    QTest::addRow("blanks around") << QStringLiteral("  \t%1  ").arg(pictures) << pictures << pictures;
    QTest::addRow("trailing separator") << pictures + QLatin1Char('/') << pictures + QLatin1Char('/')
                                        << pictures;
    QTest::addRow("root") << QStringLiteral(" / ") << QStringLiteral("/") << QStringLiteral("/");
}

void TestOptionsDialog::okSavesFolders()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, readBack);

    openDialog();
    setFolders(typed, m_audio, m_videos + QLatin1Char(' '));
    m_dialog->autoPlayBox()->setChecked(false);
    clickOk();

    QVERIFY2(m_messages->messages.isEmpty(), qPrintable(m_messages->messages.value(0).text));
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));

    // The four values change in place; every other byte stays.
    QByteArray expected = OtherContents;
    expected.replace("PictureFilePath=/nowhere/pictures/", "PictureFilePath=" + stored.toUtf8());
    expected.replace("AutoPlayOnOpen=1", "AutoPlayOnOpen=0");
    expected.replace("a line without equals\r\n",
                     "a line without equals\r\nAudioFilePath=" + m_audio.toUtf8()
                         + "\r\nDestinationFolderPath=" + m_videos.toUtf8() + "\r\n");
    const QByteArray written = readFile(m_config->iniPath());
    // Keys new to the section may go after its last key or at its end: compare as lines.
    auto lines = [](const QByteArray &text) {
        QList<QByteArray> list = text.split('\n');
        std::sort(list.begin(), list.end());
        return list;
    };
    QCOMPARE(lines(written), lines(expected));
    QVERIFY(written.startsWith("; Velmora settings\r\n[Velmora 1]\r\n"));
    QVERIFY(written.contains("[Elsewhere]\r\nAudioFilePath=keep me\r\n"));

    QCOMPARE(AppSettings::instance().read(Settings::PictureFolder), readBack);
    QCOMPARE(AppSettings::instance().read(Settings::AudioFolder), m_audio);
    QCOMPARE(AppSettings::instance().read(Settings::DestinationFolder), m_videos);
}

void TestOptionsDialog::badFolderRefused_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("folder");

    const QString file = m_dir.path() + QStringLiteral("/a file.jpg");
    QFile touch(file);
    touch.open(QIODevice::WriteOnly);
    touch.write("x");
    touch.close();
    // A folder that exists but whose name holds a line break: stored, it would become a second
    // INI line and a key of its own.
    const QString lineBreak = m_dir.path() + QStringLiteral("/x\nS1=/bin/sh");
    QDir().mkpath(lineBreak);
    const QString relative = QStringLiteral("relative");
    QDir(m_dir.path()).mkpath(relative);

    QTest::addRow("picture empty") << 0 << QStringLiteral("   ");
    QTest::addRow("picture is a file") << 0 << file;
    QTest::addRow("picture missing") << 0 << m_dir.path() + QStringLiteral("/missing");
    QTest::addRow("audio line break") << 1 << lineBreak;
    QTest::addRow("audio relative") << 1 << relative;
    QTest::addRow("destination control char") << 2 << m_dir.path() + QStringLiteral("/a\x01");
    QTest::addRow("destination below a file") << 2 << file + QStringLiteral("/sub");
}

void TestOptionsDialog::badFolderRefused()
{
    QFETCH(int, index);
    QFETCH(QString, folder);

    const QByteArray before = readFile(m_config->iniPath());
    openDialog();
    QStringList folders = {m_pictures, m_audio, m_videos};
    folders[index] = folder;
    setFolders(folders.at(0), folders.at(1), folders.at(2));
    m_dialog->autoPlayBox()->setChecked(false);
    clickOk();

    QCOMPARE(m_messages->messages.size(), 1);
    const RecordedMessage &message = m_messages->messages.first();
    QCOMPARE(message.text, QString::fromLatin1(NotFound[index]));
    QCOMPARE(message.caption, QStringLiteral("Velmora"));
    QCOMPARE(message.icon, QMessageBox::Warning);
    QCOMPARE(message.owner, m_dialog.get());
    QVERIFY(m_dialog->isVisible());
    QTRY_VERIFY(m_dialog->folderEdit(index)->hasFocus());
    QCOMPARE(readFile(m_config->iniPath()), before);
    QVERIFY(AppSettings::instance().autoPlayOnOpen());
}

void TestOptionsDialog::onlyFirstBadFolderReported()
{
    openDialog();
    setFolders(m_pictures, m_dir.path() + QStringLiteral("/gone"), QStringLiteral(""));
    clickOk();
    QCOMPARE(m_messages->messages.size(), 1);
    QCOMPARE(m_messages->messages.first().text, QString::fromLatin1(NotFound[1]));
    QTRY_VERIFY(m_dialog->folderEdit(1)->hasFocus());

    // Mended, the next bad one is reported; all mended, the dialog ends.
    m_dialog->folderEdit(1)->setText(m_audio);
    clickOk();
    QCOMPARE(m_messages->messages.size(), 2);
    QCOMPARE(m_messages->messages.last().text, QString::fromLatin1(NotFound[2]));
    QTRY_VERIFY(m_dialog->folderEdit(2)->hasFocus());
    m_dialog->folderEdit(2)->setText(m_videos);
    clickOk();
    QCOMPARE(m_messages->messages.size(), 2);
    QVERIFY(!m_dialog->isVisible());
}

void TestOptionsDialog::autoPlayTakesEffectAtOnce()
{
    for (const bool on : {false, true}) {
        AppSettings::instance().set(Settings::AutoPlayOnOpen, !on);
        openDialog();
        setFolders(m_pictures, m_audio, m_videos);
        m_dialog->autoPlayBox()->setChecked(on);
        clickOk();
        QCOMPARE(AppSettings::instance().autoPlayOnOpen(), on);
        QCOMPARE(IniFile::readString(m_config->iniPath(), Settings::Section,
                                     Settings::AutoPlayOnOpen.name, QString()),
                 on ? QStringLiteral("1") : QStringLiteral("0"));
    }
}

void TestOptionsDialog::cancelAfterBrowseWritesNothing()
{
    const QByteArray before = readFile(m_config->iniPath());
    openDialog();
    bool browsed = false;
    // The folder picker runs modally: answer it from the event loop.
    QTimer picker;
    picker.setInterval(20);
    connect(&picker, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        picker.stop();
        browsed = true;
        dialog->setDirectory(m_videos);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    picker.start();
    QTest::mouseClick(m_dialog->controlAs<QPushButton>(OptionsDialog::AudioBrowseButton), Qt::LeftButton);
    QVERIFY(browsed);
    QCOMPARE(m_dialog->folderEdit(1)->text(), m_videos);
    QVERIFY(m_messages->messages.isEmpty());

    m_dialog->autoPlayBox()->setChecked(false);
    QTest::mouseClick(m_dialog->controlAs<QPushButton>(OptionsDialog::CancelButton), Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
    QCOMPARE(readFile(m_config->iniPath()), before);
    QVERIFY(AppSettings::instance().autoPlayOnOpen());

    // Escape is Cancel too.
    openDialog();
    m_dialog->folderEdit(0)->setText(m_videos);
    QTest::keyClick(m_dialog->folderEdit(0), Qt::Key_Escape);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(readFile(m_config->iniPath()), before);
}

void TestOptionsDialog::failedSaveStaysOpen()
{
    // Below a regular file nothing can be created, even as root.
    const QString blocker = m_dir.path() + QStringLiteral("/not a folder");
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    AppSettings::instance().setFiles(blocker + QStringLiteral("/Velmora1.ini"), AppSettings::instance().systemIniPaths());

    openDialog();
    setFolders(m_pictures, m_audio, m_videos);
    m_dialog->autoPlayBox()->setChecked(false);
    clickOk();

    QCOMPARE(m_messages->messages.size(), 1);
    QVERIFY2(m_messages->messages.first().text.contains(AppSettings::instance().iniPath()),
             qPrintable(m_messages->messages.first().text));
    QVERIFY(m_dialog->isVisible());
    QVERIFY(AppSettings::instance().autoPlayOnOpen());
}

QTEST_MAIN(TestOptionsDialog)
#include "test_options_dialog.moc"
