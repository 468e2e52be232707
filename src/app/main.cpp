#include "app/Application.h"
#include "base/TerminationSignals.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TerminationSignals::instance().install();
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
    Application velmora;
    return velmora.run();
}
