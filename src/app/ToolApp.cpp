#include "ToolApp.h"

#include "AppIcon.h"
#include "MainDialog.h"
#include "Prompts.h"
#include "SerialChannel.h"
#include "VardoVersion.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStringList>
#include <QTimer>

#include <cstdio>

std::optional<int> ToolApp::answerInformationOptions(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Commissioning and service tool for an elevator controller. Connected to the\n"
        "main controller through a serial port, it shows the elevator's state and\n"
        "every input and output, reads and changes the controller's parameters, reads\n"
        "and clears fault records, reads shaft data and starts the shaft learning run,\n"
        "and saves and loads parameter sets. At a second baud rate it reads and writes\n"
        "the door-operator controller's parameters. The port and its settings are\n"
        "chosen in the tool's serial settings dialog."));
    // Not addHelpOption(): its --help-all describes Qt's own options, which
    // are QApplication's to take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version and exits."));
    parser.addOption(help);
    parser.addOption(version);
    parser.parse(arguments);  // unknown arguments are QApplication's
    if (parser.isSet(version)) {
        std::printf("vardo %s\n", VARDO_VERSION);
        return 0;
    }
    if (parser.isSet(help)) {
        // Without an application object the parser does not know the
        // program's name for its usage line, so that line is written here.
        const QString text = parser.helpText();
        std::printf("Usage: vardo [options]\n\n%s", qPrintable(text.section(QLatin1Char('\n'), 1)));
        return 0;
    }
    return std::nullopt;
}

int ToolApp::run(int& argc, char** argv)
{
    if (const std::optional<int> exitCode = answerInformationOptions(argc, argv))
        return *exitCode;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VARDO"));
    QApplication::setApplicationVersion(QStringLiteral(VARDO_VERSION));
    // Desktops match the windows to the installed vardo.desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("vardo"));
    QApplication::setWindowIcon(appIcon());
    serialChannel.setErrorReporter(prompts::showApplicationError);
    {
        MainDialog mainDialog;
        // Start-up runs once the window is on screen, so it stays responsive
        // while the first page reads the controller.
        QTimer::singleShot(0, &mainDialog, [&mainDialog] { mainDialog.startUp(); });
        mainDialog.exec();
    }
    serialChannel.close();
    serialChannel.setErrorReporter({});
    return 0;
}
