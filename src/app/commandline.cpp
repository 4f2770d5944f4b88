#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>

void setApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Merlo"));
    QCoreApplication::setApplicationName(QStringLiteral("Cadenza"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CADENZA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(CADENZA_APP_ID));
}

void answerCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    // Qt's own options are single-dash words (-style, -reverse): read as
    // words, not as bundles of letters that could spell -h or -v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Speedcubing timer that listens to the microphone while it times."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Qt's own options make an unknown option no error here.
    parser.parse(arguments);
    if (!parser.isSet(help) && !parser.isSet(version) && !parser.isSet(QStringLiteral("help-all")))
        return;

    // The help text names the program as it was called, which it reads from
    // an application object; a plain one needs no display.
    QCoreApplication app(argc, argv);
    parser.process(app); // prints the help, the version or an error, and exits
}
