#include "Console.h"

#include "SimController.h"

#include <QStringList>

namespace {

QString printable(const QByteArray& frame)
{
    QString out;
    for (char c : frame) {
        const auto u = static_cast<unsigned char>(c);
        if (u == 0x02)
            out += QStringLiteral("<STX>");
        else if (u == 0x03)
            out += QStringLiteral("<ETX>");
        else if (u == 0x04)
            out += QStringLiteral("<EOT>");
        else if (u == 0x0D)
            out += QStringLiteral("<CR>");
        else if (u < 0x20 || u > 0x7E)
            out += QStringLiteral("<%1>").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += QLatin1Char(c);
    }
    return out;
}

const char* doorText(ElevatorModel::DoorState d)
{
    switch (d) {
    case ElevatorModel::DoorState::Closed: return "closed";
    case ElevatorModel::DoorState::Opening: return "opening";
    case ElevatorModel::DoorState::Open: return "open";
    case ElevatorModel::DoorState::Closing: return "closing";
    }
    return "";
}

QString callList(const ElevatorModel& e, ElevatorModel::CallKind kind)
{
    QStringList floors;
    for (int f = 1; f <= e.floorCount(); ++f) {
        if (e.hasCall(kind, f))
            floors << QString::number(f);
    }
    return floors.isEmpty() ? QStringLiteral("-") : floors.join(QLatin1Char(','));
}

} // namespace

QString Console::help()
{
    return QStringLiteral(
        "Commands:\n"
        "  status                    the car, the doors, the calls, the modes\n"
        "  call car|up|down FLOOR    register a call\n"
        "  mode MODE on|off          inspection, fire, attendant, locked, independent,\n"
        "                            overload, full\n"
        "  safety open|closed        the safety circuit\n"
        "  fault CODE                a fault happens now (recorded and reported)\n"
        "  faults                    the fault records\n"
        "  param INDEX [VALUE]       read or write an elevator parameter\n"
        "  door INDEX [VALUE]        read or write a door-operator parameter\n"
        "  learn                     start the shaft learning run\n"
        "  ask PAYLOAD               send a request such as A50B or F3103 to the main\n"
        "                            controller and show its reply (door: ask-door)\n"
        "  requests                  the last requests received from the line\n"
        "  silent on|off             answer nothing / answer again\n"
        "  quit                      stop the simulator\n");
}

QString Console::status() const
{
    SimController& sim = sim_;
    QString out = sim.withElevator([](ElevatorModel& e) {
        QStringList modes;
        for (SimMode m : {SimMode::Inspection, SimMode::FireService, SimMode::Attendant, SimMode::Locked,
                          SimMode::Independent, SimMode::Overload, SimMode::FullLoad}) {
            if (e.mode(m))
                modes << QLatin1String(modeName(m));
        }
        return QStringLiteral("floor %1 of %2 (display code %3), position %4 mm, speed %5 mm/s%6\n"
                              "doors %7%8, safety circuit %9%10\n"
                              "calls: car %11  up %12  down %13\n"
                              "modes: %14   run counter %15   clock %16\n")
            .arg(e.floor())
            .arg(e.floorCount())
            .arg(e.displayCode())
            .arg(e.positionMm())
            .arg(e.speed())
            .arg(e.targetFloor() ? QStringLiteral(", going to %1").arg(e.targetFloor()) : QString())
            .arg(QLatin1String(doorText(e.doorState())))
            .arg(e.doorLocked() ? QStringLiteral(", locked") : QString())
            .arg(e.safetyCircuit() ? QStringLiteral("closed") : QStringLiteral("open"))
            .arg(e.faultActive() ? QStringLiteral(", FAULT") : e.learning() ? QStringLiteral(", learning run") : QString())
            .arg(callList(e, ElevatorModel::CallKind::Car), callList(e, ElevatorModel::CallKind::Up),
                 callList(e, ElevatorModel::CallKind::Down))
            .arg(modes.isEmpty() ? QStringLiteral("normal") : modes.join(QLatin1Char(',')))
            .arg(e.runCounter())
            .arg(e.clock().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    });
    out += QStringLiteral("line: %1 baud, %2 stop bit(s); %3 requests answered\n")
               .arg(sim.lineBaud())
               .arg(sim.lineStopBits())
               .arg(sim.answeredCount());
    return out;
}

QString Console::execute(const QString& line, bool* quit)
{
    const QStringList w = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (w.isEmpty())
        return {};
    const QString cmd = w[0].toLower();
    const auto intAt = [&w](int i, bool* ok) { return i < w.size() ? w[i].toInt(ok, 0) : (*ok = false, 0); };
    bool ok = false;
    if (cmd == QLatin1String("help") || cmd == QLatin1String("?"))
        return help();
    if (cmd == QLatin1String("quit") || cmd == QLatin1String("exit")) {
        *quit = true;
        return {};
    }
    if (cmd == QLatin1String("status"))
        return status();
    if (cmd == QLatin1String("call") && w.size() == 3) {
        const QString k = w[1].toLower();
        const int floor = intAt(2, &ok);
        const auto kind = k == QLatin1String("up")     ? ElevatorModel::CallKind::Up
                          : k == QLatin1String("down") ? ElevatorModel::CallKind::Down
                                                       : ElevatorModel::CallKind::Car;
        if (!ok || (k != QLatin1String("car") && k != QLatin1String("up") && k != QLatin1String("down")))
            return QStringLiteral("call car|up|down FLOOR\n");
        const bool taken = sim_.withElevator([&](ElevatorModel& e) { return e.registerCall(kind, floor); });
        return taken ? QStringLiteral("call registered\n") : QStringLiteral("call refused\n");
    }
    if (cmd == QLatin1String("mode") && w.size() == 3) {
        SimMode mode;
        if (!parseMode(w[1], &mode))
            return QStringLiteral("unknown mode %1\n").arg(w[1]);
        const bool on = w[2].toLower() == QLatin1String("on");
        sim_.withElevator([&](ElevatorModel& e) { e.setMode(mode, on); });
        return QStringLiteral("%1 %2\n").arg(QLatin1String(modeName(mode)), on ? QStringLiteral("on") : QStringLiteral("off"));
    }
    if (cmd == QLatin1String("safety") && w.size() == 2) {
        const bool closed = w[1].toLower() != QLatin1String("open");
        sim_.withElevator([&](ElevatorModel& e) { e.setSafetyCircuit(closed); });
        return QStringLiteral("safety circuit %1\n").arg(closed ? QStringLiteral("closed") : QStringLiteral("open"));
    }
    if (cmd == QLatin1String("fault") && w.size() == 2) {
        const int code = intAt(1, &ok);
        if (!ok || code < 1 || code > 255)
            return QStringLiteral("fault CODE (1 to 255)\n");
        sim_.injectFault(code);
        return QStringLiteral("fault %1 recorded\n").arg(code);
    }
    if (cmd == QLatin1String("faults")) {
        return sim_.withElevator([](ElevatorModel& e) {
            QString out;
            int n = 0;
            for (const auto& r : e.faultRecords())
                out += QStringLiteral("%1: code %2 at floor %3, %4\n")
                           .arg(n++)
                           .arg(r.code)
                           .arg(r.floor)
                           .arg(r.time.toString(QStringLiteral("yyyy-MM-dd hh:mm")));
            return out.isEmpty() ? QStringLiteral("no fault records\n") : out;
        });
    }
    if ((cmd == QLatin1String("param") || cmd == QLatin1String("door")) && (w.size() == 2 || w.size() == 3)) {
        const int index = intAt(1, &ok);
        if (!ok)
            return QStringLiteral("%1 INDEX [VALUE]\n").arg(cmd);
        bool valueOk = true;
        const int value = w.size() == 3 ? intAt(2, &valueOk) : 0;
        if (!valueOk)
            return QStringLiteral("%1 INDEX [VALUE]\n").arg(cmd);
        const auto act = [&](auto& model) {
            if (index < 0 || index >= model.parameterCount())
                return QStringLiteral("no parameter %1 (0 to %2)\n").arg(index).arg(model.parameterCount() - 1);
            if (w.size() == 3 && !model.setParameter(index, unsigned(value)))
                return QStringLiteral("value %1 refused\n").arg(value);
            return QStringLiteral("%1 (F%2) = %3\n").arg(index).arg(model.fNumber(index)).arg(model.parameter(index));
        };
        const QString out = cmd == QLatin1String("param") ? sim_.withElevator(act) : sim_.withDoor(act);
        if (w.size() == 3)
            sim_.saveState();
        return out;
    }
    if (cmd == QLatin1String("learn")) {
        const bool started = sim_.withElevator([](ElevatorModel& e) { return e.startLearning(); });
        return started ? QStringLiteral("learning run started\n") : QStringLiteral("learning run refused\n");
    }
    if ((cmd == QLatin1String("ask") || cmd == QLatin1String("ask-door")) && w.size() >= 2) {
        const QByteArray frame = sim_.requestFrame(w.mid(1).join(QString()).toLatin1());
        const QByteArray reply = sim_.answer(frame, cmd == QLatin1String("ask-door"));
        return QStringLiteral("-> %1\n<- %2\n").arg(printable(frame), reply.isEmpty() ? QStringLiteral("(no reply)") : printable(reply));
    }
    if (cmd == QLatin1String("requests")) {
        const QList<QByteArray> all = sim_.requests();
        QString out;
        for (qsizetype i = std::max<qsizetype>(0, all.size() - 20); i < all.size(); ++i)
            out += printable(all[i]) + QLatin1Char('\n');
        return out.isEmpty() ? QStringLiteral("no requests yet\n") : out;
    }
    if (cmd == QLatin1String("silent") && w.size() == 2) {
        sim_.setSilent(w[1].toLower() == QLatin1String("on"));
        return QStringLiteral("silent %1\n").arg(w[1].toLower());
    }
    return QStringLiteral("unknown command (type help)\n");
}
