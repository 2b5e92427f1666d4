// Manual viewer: the tool's main window on the simulated controller with
// the traffic window open beside it. Every other second the speed poll is
// answered with noise before its frame and a wrong checksum, so that both
// verdicts and shown control bytes are on screen.
//
// Usage: traffic-viewer [--seconds S]
//   --seconds S  quits after S seconds

#include "ConfigHome.h"
#include "MainDialog.h"
#include "SimController.h"
#include "TrafficWindow.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int seconds = 0;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = args[i + 1].toInt();
    }

    ConfigHome home;
    home.writeSettings("1N81", "9600", "38400", "E");
    SimController sim;
    sim.linkAs(1);
    bool noisy = false;
    QTimer noise;
    QObject::connect(&noise, &QTimer::timeout, [&] {
        noisy = !noisy;
        sim.setReplyFrame('A', '8', noisy ? QByteArray("\xff\x02" "FFA818FCE00\x03") : QByteArray());
    });
    noise.start(1000);

    MainDialog tool;
    tool.show();
    tool.startUp();
    tool.move(10, 40);
    TrafficWindow::installShortcut(&tool);
    TrafficWindow* traffic = TrafficWindow::showFor(&tool);
    traffic->move(tool.frameGeometry().right() + 10, 40);

    if (seconds > 0)
        QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
