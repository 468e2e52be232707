#include "app/Application.h"
#include "app/StartupFiles.h"
#include "base/TerminationSignals.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {

void describe(QCommandLineParser &parser)
{
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    parser.setApplicationDescription(QStringLiteral("Turns a picture and a song into a video."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("A picture for step 1 and a song for step 2."),
                                 QStringLiteral("[picture] [song]"));
}

} // namespace

int main(int argc, char *argv[])
{
    // --help and --version answer in a terminal without a display too: asked before the window
    // system is. Qt's own options (-platform ...) are unknown here and left for the real parse.
    {
        QCoreApplication terminal(argc, argv);
        QCommandLineParser parser;
        describe(parser);
        parser.parse(QCoreApplication::arguments());
        if (parser.isSet(QStringLiteral("help")))
            parser.showHelp();
        if (parser.isSet(QStringLiteral("version")))
            parser.showVersion();
    }

    QApplication app(argc, argv);
    TerminationSignals::instance().install();
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);

    Application velmora;
    return velmora.run(StartupFiles::fromArguments(parser.positionalArguments()));
}
