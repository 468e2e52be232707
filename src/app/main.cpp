#include "app/Application.h"
#include "app/StartupFiles.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Turns a picture and a song into a video."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("A picture for step 1 and a song for step 2."),
                                 QStringLiteral("[picture] [song]"));
    parser.process(app);

    Application velmora;
    return velmora.run(StartupFiles::fromArguments(parser.positionalArguments()));
}
