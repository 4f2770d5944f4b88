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
    // The options Qt's application object takes for itself (-style fusion,
    // -platform xcb, -reverse) are known here too, unlisted, so that they are
    // no unknown options beside --help.
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                             "geometry", "qwindowtitle", "title", "qwindowicon", "icon", "session", "display", "name",
                             "style", "stylesheet", "qmljsdebugger"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char *name : {"reverse", "nograb", "dograb", "widgetcount", "testability", "sync"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    const QCommandLineOption version = parser.addVersionOption();
    // Any other unknown option is no error yet: without --help or --version
    // the program starts and the application object reads its arguments.
    parser.parse(arguments);
    if (!parser.isSet(help) && !parser.isSet(version) && !parser.isSet(QStringLiteral("help-all")))
        return;

    // The help text names the program as it was called, which it reads from
    // an application object; a plain one needs no display.
    QCoreApplication app(argc, argv);
    parser.process(app); // prints the help, the version or an error, and exits
}
