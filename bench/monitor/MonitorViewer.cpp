// Manual viewer: the tool's main window with the elevator status and I/O
// status pages on the simulated controller, the car kept busy with calls.
//
// Usage: monitor-viewer [--tab N] [--bare 1] [--seconds S] [--shot file.png]
//   --tab N      the tab shown first (0 status, 3 I/O)
//   --bare 1     the page alone in a window of the page area, 385 x 550
//   --seconds S  quits after S seconds (with --shot: grabs the window first)
//   --shot F     writes the window's picture to F

#include "ConfigHome.h"
#include "IoPage.h"
#include "MainDialog.h"
#include "PageTestHost.h"
#include "PageTabCtrl.h"
#include "SimController.h"
#include "StatusPage.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <random>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int tab = 0;
    int seconds = 0;
    bool bare = false;
    QString shot;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--tab"))
            tab = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--seconds"))
            seconds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--bare"))
            bare = args[i + 1].toInt() != 0;
        else if (args[i] == QLatin1String("--shot"))
            shot = args[i + 1];
    }

    ConfigHome home;
    home.writeSettings("1N81", "9600", "38400", "E");
    SimOptions options;
    options.timeScale = 2;
    SimController sim(options);
    sim.linkAs(1);

    std::mt19937 random(11);
    QTimer calls;
    QObject::connect(&calls, &QTimer::timeout, [&] {
        sim.withElevator([&](ElevatorModel& e) {
            const int floor = 1 + int(random() % unsigned(e.floorCount()));
            e.registerCall(ElevatorModel::CallKind(random() % 3), floor);
        });
    });
    calls.start(1500);

    MainDialog tool;
    PageTestHost host;
    QWidget* window = &tool;
    if (bare) {
        window = &host;
        host.addPage(tab == IoPage::kIndex ? static_cast<Page*>(new IoPage(host)) : new StatusPage(host));
        host.show();
        host.openChannel(1);
        host.showPage(tab == IoPage::kIndex ? IoPage::kIndex : StatusPage::kIndex);
    } else {
        tool.show();
        tool.startUp();
        if (tab != 0 && tool.pageHost()->hasPages())
            tool.pageHost()->setCurrentIndex(tab);
    }

    if (seconds > 0) {
        QTimer::singleShot(seconds * 1000, &app, [&] {
            if (!shot.isEmpty())
                window->grab().save(shot);
            window->close();
            app.quit();
        });
    }
    const int result = app.exec();
    return result;
}
