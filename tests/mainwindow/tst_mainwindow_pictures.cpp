#include "MainWindowFixture.h"

#include "base/AppSettings.h"
#include "base/Paths.h"
#include "dialogs/CaptionPreview.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/PictureStep.h"
#include "model/BlankCanvases.h"
#include "model/PicturePreparation.h"
#include "widgets/PictureBox.h"

#include <QImage>
#include <QtTest>

using namespace TestSupport;

namespace {

// The caption dialog as the picture step sees it: controls the test sets.
class CaptionControls : public CaptionPreviewSource
{
public:
    void readControls(CaptionSettings &settings) const override
    {
        const bool on = settings.textOn;
        settings = controls;
        settings.textOn = on;
    }
    CaptionSettings &workingSettings() override { return working; }

    CaptionSettings controls;
    CaptionSettings working;
};

int linesIn(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
}

} // namespace

// Pictures the main window is given but cannot use.
class TestMainWindowPictures : public QObject, public MainWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { createMedia(); }
    void init() { setUpTest(); }
    void cleanup() { tearDownTest(); }

    void refusedPictureSaysWhyAndKeepsTheStep_data();
    void refusedPictureSaysWhyAndKeepsTheStep();
    void latestPreviewRequestWins();
};

void TestMainWindowPictures::refusedPictureSaysWhyAndKeepsTheStep_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");    // empty: ignored without a message
    QTest::addRow("jpeg cut short") << "cut" << "The file ends before the picture does";
    QTest::addRow("grey png over the image tool's limit") << "grey" << "at most 59.65 megapixels of a grey PNG";
    QTest::addRow("text named .jpg") << "text" << "";
}

void TestMainWindowPictures::refusedPictureSaysWhyAndKeepsTheStep()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir scratch;
    QString refused = m_notPicture;
    if (kind == "cut") {
        QFile whole(m_picture);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        refused = scratch.filePath("download.jpg");
        QFile cut(refused);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(whole.read(whole.size() / 3));
    } else if (kind == "grey") {
        refused = scratch.filePath("scan.png");
        QImage grey(7800, 7800, QImage::Format_Grayscale8);
        grey.fill(90);
        QVERIFY(grey.save(refused));
    }

    auto window = makeWindow();
    QVERIFY(window);
    dropFile(window.get(), m_picture);
    QCOMPARE(window->picture().sourcePath(), m_picture);
    QVERIFY(m_messages->messages.isEmpty());

    dropFile(window.get(), refused);
    if (reason.isEmpty()) {
        QVERIFY(m_messages->messages.isEmpty());
    } else {
        QCOMPARE(m_messages->messages.size(), 1);
        const QString text = m_messages->messages.first().text;
        QVERIFY2(text.startsWith(QStringLiteral("This Picture can not be used:\n\n   %1\n\n").arg(refused)), qPrintable(text));
        QVERIFY2(text.contains(reason), qPrintable(text));
    }
    // Nothing lost: the step keeps the picture it had, and the box shows it.
    QCOMPARE(window->picture().sourcePath(), m_picture);
    QVERIFY(window->control(MainWindow::Step1Done)->isVisible());
    QVERIFY(window->pictureBox()->hasPicture());
    QVERIFY(!window->pictureBox()->isPlaceholder());
    QVERIFY(isNonEmptyFile(window->picture().currentPicturePath()));
}

void TestMainWindowPictures::latestPreviewRequestWins()
{
    // A slow image tool that logs each run: requests pile up while one drawing is under way.
    const QString runs = m_out.filePath("preview-runs.log");
    QFile::remove(runs);
    AppSettings::instance().set(Settings::ImageTool, writeScript(
        m_out.filePath("slow-convert"),
        QStringLiteral("#!/bin/sh\necho run >> '%1'\nsleep 0.3\nexec '%2' \"$@\"\n").arg(runs, convertPath()).toUtf8()));
    BlankCanvases canvases;
    QVERIFY(canvases.create(convertPath(), 0));
    QWidget owner;
    PictureBox box(&owner);
    const CaptionSettings captions;
    PictureStep step(&owner, &box, &captions, canvases);
    step.showCurrent();
    int emptySamples = 0;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, this, [&] { emptySamples += !box.hasPicture(); });
    sampler.start(10);
    QSignalSpy shown(&step, &PictureStep::previewShown);
    QSignalSpy settled(&step, &PictureStep::settled);
    CaptionControls dialog;
    dialog.controls.fontName = QStringLiteral("DejaVu-Sans-Bold");

    // While "A" is drawn, "B" and then "C" ask: one drawing follows, of the controls as they are then.
    dialog.controls.text = QStringLiteral("A");
    QVERIFY(step.previewCaption(&dialog));
    QVERIFY(step.isPreparing());
    dialog.controls.text = QStringLiteral("B");
    QVERIFY(!step.previewCaption(&dialog));
    dialog.controls.text = QStringLiteral("C");
    QVERIFY(!step.previewCaption(&dialog));
    QVERIFY(settled.wait(20000));
    QCOMPARE(shown.size(), 2);
    QCOMPARE(linesIn(runs), 2);
    QCOMPARE(step.preparation().withTextSettings().text, QStringLiteral("C"));
    QCOMPARE(step.preparation().state(), PicturePreparation::State::WithText);

    // A request the drawing under way already shows draws nothing more.
    dialog.controls.text = QStringLiteral("D");
    QVERIFY(step.previewCaption(&dialog));
    QVERIFY(!step.previewCaption(&dialog));
    QVERIFY(settled.wait(20000));
    QCOMPARE(shown.size(), 3);
    QCOMPARE(linesIn(runs), 3);
    QCOMPARE(step.preparation().withTextSettings().text, QStringLiteral("D"));

    // The dialog ends during a drawing: it stops, and the request waiting is dropped.
    dialog.controls.text = QStringLiteral("E");
    QVERIFY(step.previewCaption(&dialog));
    dialog.controls.text = QStringLiteral("F");
    QVERIFY(!step.previewCaption(&dialog));
    QTRY_COMPARE(linesIn(runs), 4);
    step.endCaptionPreview();
    QVERIFY(settled.wait(20000));
    QCOMPARE(shown.size(), 3);
    QCOMPARE(linesIn(runs), 4);
    QCOMPARE(step.preparation().withTextSettings().text, QStringLiteral("D"));
    // The box kept the last preview the whole time.
    QCOMPARE(emptySamples, 0);
    QVERIFY(m_messages->messages.isEmpty());
}

QTEST_MAIN(TestMainWindowPictures)
#include "tst_mainwindow_pictures.moc"
