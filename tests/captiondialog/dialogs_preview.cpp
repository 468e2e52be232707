// Shows the text dialog beside a window that draws its caption with the real image tool, or the
// options dialog, for looking at them on a real X server. Usage: dialogs_preview text|options
// [seconds]  (quits after that many seconds; default 4)
#include "base/AppSettings.h"
#include "common/TestSupport.h"
#include "dialogs/CaptionDialog.h"
#include "dialogs/OptionsDialog.h"
#include "media/FontList.h"
#include "media/SongTags.h"
#include "model/BlankCanvases.h"
#include "model/PicturePreparation.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class PreviewWindow : public QWidget, public CaptionPreviewTarget
{
public:
    explicit PreviewWindow(const BlankCanvases &canvases)
        : m_preparation(canvases)
    {
        connect(&m_preparation, &PicturePreparation::finished, this, [this] {
            m_picture.setPixmap(QPixmap(m_preparation.currentPicturePath()));
            m_busy = false;
        });
        setWindowTitle(QStringLiteral("Velmora"));
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(&m_picture);
    }

    int previewCaption(CaptionPreviewSource *dialog) override
    {
        if (m_busy)
            return 0;
        m_busy = true;
        dialog->readControls(dialog->workingSettings());
        m_preparation.renderText(dialog->workingSettings());
        return 1;
    }

private:
    QLabel m_picture;
    PicturePreparation m_preparation;
    bool m_busy = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("text");
    const int seconds = argc > 2 ? atoi(argv[2]) : 4;

    TestSupport::ConfigSandbox config;
    BlankCanvases canvases;
    if (!queryFontList()
        || !canvases.create(AppSettings::instance().imageToolPath(), AppSettings::instance().backgroundColor()))
        return 1;

    PreviewWindow window(canvases);
    window.setGeometry(20, 60, 680, 400);
    int x = -1, y = -1;
    CaptionSettings settings;
    settings.text = QStringLiteral("Sunset over\nthe harbour");
    settings.placement = 7;
    settings.textColor = qRgb(0xFF, 0xD0, 0x40); // warm yellow
    std::unique_ptr<QDialog> dialog;
    // A song with tags, as after step 2, so "From the song's tags" is offered.
    const SongTags tags{QStringLiteral("Harbour Lights"), QStringLiteral("The Velmora Band"), QString()};
    if (which == QLatin1String("options")) {
        dialog = std::make_unique<OptionsDialog>(nullptr);
    } else {
        window.show();
        auto caption = std::make_unique<CaptionDialog>(&x, &y, &settings, &window);
        caption->setSongTags(QDir::home().filePath(QStringLiteral("Music/harbour-lights.flac")), &tags);
        dialog = std::move(caption);
    }
    dialog->show();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
