#include "base/AppSettings.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/TargetSizeTable.h"
#include "base/TerminationSignals.h"
#include "media/FontList.h"
#include "model/CaptionFontChoice.h"
#include "model/CaptionSettings.h"
#include "render/Manifest.h"
#include "render/RenderCommand.h"
#include "render/RenderTools.h"
#include "render/Renderer.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryFile>
#include <QThread>

#include <cstdio>

namespace {

QtMessageHandler qtMessages = nullptr;

// A server run has no session's runtime folder, and needs none: Qt's note about it is left out.
void quietMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (qtMessages)
        qtMessages(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
}

int usageError(const QString &why)
{
    std::fprintf(stderr, "velmora-render: %s\nTry 'velmora-render --help' for more information.\n",
                 why.toLocal8Bit().constData());
    return Renderer::UsageError;
}

int tryLater(const QString &why)
{
    std::fprintf(stderr, "velmora-render: %s\n", why.toLocal8Bit().constData());
    return Renderer::TryLater;
}

// The listed font each row's caption is drawn in: the one named (the first whose name begins with
// it, as the caption dialog finds it), else for none the caption's default or its stand-in.
bool chooseFonts(QList<Manifest::Row> &rows, const QString &manifest, QString *why)
{
    const QStringList &fonts = fontNameList();
    for (Manifest::Row &row : rows) {
        QString &font = row.settings.font;
        const int index = font.isEmpty() ? CaptionFontChoice::fontIndexFor(fonts, CaptionSettings().fontName)
                                         : CaptionFontChoice::findFontIndex(fonts, font);
        if (index < 0) {
            const QString fault = QStringLiteral("the image tool has no font \"%1\"").arg(font);
            *why = manifest.isEmpty() || row.line == 0
                ? QStringLiteral("--font: ") + fault
                : Manifest::Problem{row.line, QStringLiteral("font"), fault}.text(manifest);
            return false;
        }
        font = fonts.at(index);
    }
    return true;
}

bool writableFolder(const QString &path, QString *why)
{
    if (!QDir().mkpath(path)) {
        *why = QStringLiteral("the output folder can not be made: %1").arg(path);
        return false;
    }
    QTemporaryFile probe(path + QStringLiteral("/.velmora-render-XXXXXX"));
    if (!probe.open()) {
        *why = QStringLiteral("the output folder can not be written: %1").arg(path);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // A server has no display: captions are drawn offscreen, unless the caller chose otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qtMessages = qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-render"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));

    AppSettings &settings = AppSettings::instance();
    settings.setFiles(Settings::iniFilePath(), Settings::systemIniFilePaths());
    settings.load();
    RowSettings defaults;
    defaults.size = TargetSizeTable::instance().current().size();
    defaults.background = settings.backgroundColor();

    RenderCommand command;
    QString why;
    if (!RenderCommand::parse(app.arguments(), defaults, QProcessEnvironment::systemEnvironment(),
                              QThread::idealThreadCount(), &command, &why))
        return usageError(why);
    if (command.mode == RenderCommand::Mode::Help) {
        std::fputs(RenderCommand::helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (command.mode == RenderCommand::Mode::Version) {
        std::printf("velmora-render %s\n", VELMORA_VERSION);
        return 0;
    }

    QList<Manifest::Row> rows;
    if (command.mode == RenderCommand::Mode::Single) {
        rows.append(Manifest::Row{1, 0, command.defaults});
    } else {
        Manifest::Problem problem;
        if (!Manifest::read(command.manifest, command.defaults, &rows, &problem))
            return usageError(problem.text(command.manifest));
        rows = Manifest::slice(rows, command.firstRow, command.lastRow);
    }
    TerminationSignals::instance().install();
    QString tempFolder;
    if (const TempFolderProblem problem = openTempFolder(tempFolder); !problem.isNone())
        return tryLater(QStringLiteral("no temporary folder can be made in %1").arg(problem.systemFolder));
    RenderTools tools;
    if (!tools.find(command.imageTool, command.encoder, &why)) {
        removeTempFolder();
        return tryLater(why);
    }
    if (!chooseFonts(rows, command.mode == RenderCommand::Mode::Manifest ? command.manifest : QString(), &why)
        || !writableFolder(command.outputDir, &why)) {
        removeTempFolder();
        return usageError(why);
    }

    int status = 0;
    {
        Renderer renderer(rows, tools, command.outputDir, command.jobs, command.force);
        QObject::connect(&renderer, &Renderer::finished, &app, [&status](int exitStatus) {
            status = exitStatus;
            QCoreApplication::quit();
        });
        renderer.start();
        app.exec();
    }
    removeTempFolder();
    return status;
}
