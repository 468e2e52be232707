#include "PicturePreparationFixture.h"

#include "base/AppSettings.h"
#include "model/PicturePreparation.h"
#include "model/PictureProblem.h"
#include "widgets/MessageBox.h"

#include <QtTest>

using namespace TestSupport;

void PicturePreparationFixture::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_config = std::make_unique<ConfigSandbox>();
    m_messages = std::make_unique<MessageRecorder>();
    AppSettings::instance().set(Settings::DefaultBackgroundColor, Background);

    const QList<QStringList> fixtures = {
        {"-size", "300x600", "xc:#00c800", path("portrait.jpg")},
        {"-size", "800x300", "xc:#e0c020", path("landscape.png")},
        {"-size", "200x200", "xc:#ff0000", path("square.gif")},
        {"-size", "16x16", "xc:#ffffff", path("tiny.tif")},
        {"-size", "64x48", "xc:#0000ff", "-type", "TrueColor", path("small.bmp")},
        {"-size", "640x480", "gradient:red-blue", path("gradient.png")},
    };
    for (const QStringList &args : fixtures) {
        int exitCode = -1;
        const QString out = runCommand(convertPath(), args, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(out));
    }
    QVERIFY(createCanvases());
    QVERIFY(m_messages->messages.isEmpty());
}

void PicturePreparationFixture::init()
{
    m_messages->messages.clear();
    AppSettings::instance().set(Settings::ImageTool, convertPath());
    AppSettings::instance().set(Settings::TargetVideoSize, 2);
    AppSettings::instance().set(Settings::DefaultBackgroundColor, Background);
    setImageToolTimeout(120000);
}

void PicturePreparationFixture::cleanupTestCase()
{
    m_canvases.clear();
}

bool PicturePreparationFixture::near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

QString PicturePreparationFixture::pixelText(QRgb p)
{
    return QStringLiteral("#%1").arg(p & 0xFFFFFF, 6, 16, QLatin1Char('0'));
}

CaptionSettings PicturePreparationFixture::caption(const QString &text)
{
    CaptionSettings s;
    s.textOn = true;
    s.fontName = QStringLiteral("DejaVu-Sans-Bold");
    s.text = text;
    s.shadowOn = false;
    return s;
}

bool PicturePreparationFixture::createCanvases()
{
    PictureProblem problem;
    if (m_canvases.create(AppSettings::instance().imageToolPath(), AppSettings::instance().backgroundColor(), &problem))
        return true;
    MessageBox::information(nullptr, blankCanvasProblemMessage(problem));
    return false;
}
