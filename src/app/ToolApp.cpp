#include "ToolApp.h"

#include "AppIcon.h"
#include "MainDialog.h"
#include "Prompts.h"
#include "SerialChannel.h"

#include <QApplication>
#include <QTimer>

int ToolApp::run(int& argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VARDO"));
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
