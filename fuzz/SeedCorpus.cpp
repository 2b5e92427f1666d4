// Writes the seed corpora of the fuzz targets: valid frames of every kind,
// as the simulated controllers answer the tool's own requests.
//     vardo-fuzz-seeds fuzz/corpus
// Files it writes are replaced; other files are left alone.

#include "DoorModel.h"
#include "ElevatorModel.h"
#include "FrameBuffer.h"
#include "Recording.h"
#include "Requests.h"
#include "SimProtocol.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <functional>

namespace {

QString root;
bool failed = false;

void writeSeed(const char* target, const char* name, const QByteArray& bytes)
{
    const QString dir = root + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(dir);
    QFile file(dir + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        failed = true;
    }
}

// The request the builder leaves in txFrame.
QByteArray requestOf(const std::function<void()>& build)
{
    build();
    return QByteArray(txFrame.text());
}

// A request's command, sub-command, arguments and trailer: what the
// framed mode of the request target wraps.
QByteArray piece(const QByteArray& frame)
{
    return frame.mid(3, frame.size() - 6);
}

// A controller with fixed clock and records, so that the seeds do not
// change from one run to the next.
ElevatorModel elevatorAt(SimModel model)
{
    ElevatorModel m(model, false);
    const QDateTime now(QDate(2024, 5, 17), QTime(9, 30, 15));
    m.setClock(now);
    m.setFaultRecords({{2, 3, now.addDays(-3)}, {26, 1, now.addDays(-10)}});
    return m;
}

QByteArray answer(ElevatorModel& m, const QByteArray& request)
{
    const std::optional<sim::Request> r = sim::parseRequest(request, 'E');
    return r ? sim::answerElevator(m, *r, 'E').reply : QByteArray();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vardo-fuzz-seeds <corpus folder>\n");
        return 2;
    }
    root = QString::fromLocal8Bit(argv[1]);
    specialCode = 'E';

    ElevatorModel modern = elevatorAt(SimModel::Modern);
    ElevatorModel legacy = elevatorAt(SimModel::Legacy);
    modern.registerCall(ElevatorModel::CallKind::Car, 3);
    modern.registerCall(ElevatorModel::CallKind::Up, 1);
    modern.registerCall(ElevatorModel::CallKind::Down, 5);
    modern.advance(3000);

    const QByteArray status = answer(modern, requestOf(request::statusPoll));
    const QByteArray calls = answer(modern, requestOf(request::callPoll));
    const QByteArray io = answer(modern, requestOf(request::ioPoll));
    const QByteArray speed = answer(modern, requestOf(request::speedPoll));
    const QByteArray parameter = answer(modern, requestOf([] { request::readParameter(11); }));
    const QByteArray longRecord = answer(modern, requestOf([] { request::readFaultRecord(0); }));
    const QByteArray shortRecord = answer(legacy, requestOf([] { request::readShortFaultRecord(1); }));
    const QByteArray clock = answer(modern, requestOf(request::readClock));

    writeSeed("status_reply", "status", status);
    writeSeed("status_reply", "calls", calls);
    writeSeed("status_reply", "speed", speed);
    writeSeed("status_reply", "parameter", parameter);
    writeSeed("status_reply", "legacy-status", answer(legacy, requestOf(request::statusPoll)));

    writeSeed("io_reply", "io", io);
    writeSeed("io_reply", "io-legacy", answer(legacy, requestOf(request::ioPoll)));

    writeSeed("frame_check", "status", status);
    writeSeed("frame_check", "long-record", longRecord);
    writeSeed("frame_check", "short-record", shortRecord);
    writeSeed("frame_check", "clock", clock);
    writeSeed("frame_check", "request", requestOf([] { request::writeParameter(20, 1500); }));

    writeSeed("frame_assembler", "replies", status + calls + speed);
    writeSeed("frame_assembler", "noise-and-restart", "\x7f\x03junk" + status.left(6) + io + "\x03");

    writeSeed("identity_reply", "program-name", answer(modern, requestOf(request::readProgramName)));
    writeSeed("identity_reply", "elevator-id", answer(modern, requestOf(request::readElevatorId)));
    writeSeed("identity_reply", "telephone", answer(modern, requestOf(request::readTelephone)));
    writeSeed("identity_reply", "run-counter", answer(modern, requestOf(request::readRunCounter)));
    writeSeed("identity_reply", "clock", clock);

    writeSeed("record_reply", "floor-count", parameter);
    writeSeed("record_reply", "shaft-value", answer(modern, requestOf([] { request::readShaftValue(3); })));
    writeSeed("record_reply", "switch-value", answer(modern, requestOf([] { request::readShaftValue(50); })));
    writeSeed("record_reply", "long-record", longRecord);
    writeSeed("record_reply", "short-record", shortRecord);

    writeSeed("param_reply", "word", answer(modern, requestOf([] { request::readParameter(6); })));
    writeSeed("param_reply", "display-code", answer(modern, requestOf([] { request::readParameter(66); })));
    writeSeed("param_reply", "legacy", answer(legacy, requestOf([] { request::readParameter(113); })));
    {
        DoorModel door;
        const std::optional<sim::Request> r = sim::parseRequest(requestOf([] { request::readParameter(0); }), 'E');
        writeSeed("param_reply", "door", sim::answerDoor(door, *r, 'E').reply);
    }

    writeSeed("reply_checks", "parameter", parameter);
    writeSeed("reply_checks", "write-confirmed", answer(modern, requestOf([] { request::writeParameter(14, 3); })));
    writeSeed("reply_checks", "write-refused", answer(modern, requestOf([] { request::writeParameter(11, 99); })));
    writeSeed("reply_checks", "fault-report", sim::buildFaultReport(0x2A, 'E'));
    writeSeed("reply_checks", "cut-short", parameter.left(8));
    writeSeed("reply_checks", "nul-inside", parameter.left(4) + '\0' + parameter.mid(5));

    modern.setLockoutPeriod(2, {7, 30, 18, 5});
    writeSeed("lockout_reply", "floor-count", parameter);
    writeSeed("lockout_reply", "period", answer(modern, requestOf([] { request::readLockoutPeriod(2); })));
    writeSeed("lockout_reply", "mask", "FB7F");

    // Parameter set files: index, a reserved 0, the value low byte first.
    QByteArray file;
    for (int n : {0, 6, 11, 66, 134, 172}) {
        const unsigned v = modern.parameter(n);
        file += char(n);
        file += '\0';
        file += char(v & 0xFF);
        file += char(v >> 8);
    }
    writeSeed("param_file", "modern-part", file);
    writeSeed("param_file", "fragment", file.left(7));

    // Raw requests: the frames without their ETX, which the split puts back.
    const QList<QByteArray> requests = {
        requestOf(request::statusPoll),
        requestOf([] { request::readParameter(5); }),
        requestOf([] { request::writeParameter(14, 3); }),
        requestOf([] { request::registerCall('0', 4); }),
        requestOf([] { request::readShaftValue(2); }),
        requestOf([] { request::readLockoutPeriod(3); }),
        requestOf([] { request::writeLockoutPeriod("0308001700"); }),
        requestOf([] { request::setIcCard(12, 'F'); }),
        requestOf([] { request::setClock("240517093015"); }),
        requestOf([] { request::setTelephone("0211234\r"); }),
        requestOf(request::startShaftLearning),
        requestOf(request::resetParameters),
    };
    QByteArray raw(1, '\0');
    QByteArray framed(1, '\2');
    for (const QByteArray& r : requests) {
        raw += r.chopped(1) + ETX;
        framed += piece(r) + ETX;
    }
    writeSeed("sim_request", "raw", raw);
    writeSeed("sim_request", "framed", framed);
    writeSeed("sim_request", "framed-legacy", "\3" + framed.mid(1));

    // Recordings: the live replies, a fault report and its acknowledgement;
    // a traffic log with a request and bytes that need escaping.
    recorder::RecordingHeader header{QStringLiteral("0.1.0"), QStringLiteral("COM1 (/dev/pts/3)"),
                                     recorder::Layout::Long, 12,
                                     QDateTime(QDate(2024, 5, 17), QTime(9, 30, 15), Qt::UTC)};
    const std::vector<traffic::Entry> live = {
        {0, traffic::Direction::Received, status},
        {100, traffic::Direction::Received, calls},
        {200, traffic::Direction::Received, speed},
        {300, traffic::Direction::Received, io},
        {350, traffic::Direction::Received, sim::buildFaultReport(0x20, 'E')},
        {400, traffic::Direction::Sent, requestOf(request::acknowledgeFault)},
    };
    writeSeed("recording", "live", recorder::recordingText(header, live));
    header.layout = recorder::Layout::Unknown;
    header.floors = 0;
    const std::vector<traffic::Entry> log = {
        {0, traffic::Direction::Sent, requestOf([] { request::readFaultRecord(0); })},
        {90, traffic::Direction::Received, longRecord},
        {95, traffic::Direction::Received, QByteArray("<\r\0\xff", 4)},
    };
    writeSeed("recording", "traffic-log", recorder::recordingText(header, log));
    return failed ? 1 : 0;
}
