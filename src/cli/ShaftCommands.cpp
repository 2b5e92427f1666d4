// shaft read and learn start: the shaft data and its learning run.

#include "Commands.h"
#include "ControllerLink.h"
#include "Output.h"
#include "Progress.h"
#include "Service.h"
#include "ShaftChains.h"

#include <array>

namespace cli {

namespace {

int runShaftRead(const CliOptions& options)
{
    ControllerLink link(options, false);
    if (!link.open())
        return kFailure;
    records::ShaftData data;
    {
        Progress progress(options, QStringLiteral("reading shaft data"), 0);
        records::ShaftReadObserver observer;
        observer.floorCountKnown = [&progress](int floors) { progress.setTotal(floors); };
        observer.floorRead = [&progress](int floor, std::int32_t) { progress.show(floor); };
        data = records::readShaftData(observer);
    }
    if (!data.complete) {
        printError(link.failure(data.floorCountRead ? QStringLiteral("floor %1").arg(data.floors.size() + 1)
                                                    : QStringLiteral("the floor count")));
        return kFailure;
    }
    // The switch values as the shaft page labels them.
    static const std::array<const char*, records::kShaftSwitchValues> kSwitchNames{
        "levelling plate and switch span", "two-floor up slowdown switch", "one-floor up slowdown switch",
        "two-floor down slowdown switch", "one-floor down slowdown switch"};
    Rows rows({QStringLiteral("entry"), QStringLiteral("name"), QStringLiteral("value")});
    for (qsizetype k = 0; k < data.floors.size(); ++k)
        rows.add({int(k + 1), QStringLiteral("floor %1").arg(k + 1), data.floors[k]});
    for (int i = 0; i < records::kShaftSwitchValues; ++i) {
        const auto& value = data.switches[size_t(i)];
        rows.add({records::kFirstShaftSwitchValue + i, QLatin1String(kSwitchNames[size_t(i)]),
                  value ? QJsonValue(*value) : QJsonValue()});
    }
    return writeRows(options, rows) ? kSuccess : kFailure;
}

int runLearnStart(const CliOptions& options)
{
    return runService(options,
                      {QStringLiteral("Start the shaft learning run? The car will travel the whole shaft."), false,
                       [](const ControllerLink& link) {
                           return confirmedBy(records::startShaftLearning(), link,
                                              QStringLiteral("the learning command"));
                       },
                       QStringLiteral("shaft learning started: when the car moves, the run is under way")});
}

} // namespace

QList<CommandEntry> shaftCommands()
{
    return {
        {{QStringLiteral("shaft"), QStringLiteral("read")}, QString(), 0, 0,
         {QStringLiteral("json"), QStringLiteral("csv"), QStringLiteral("bom")}, true,
         QStringLiteral("the learned shaft data: every floor's position and the five switch values"),
         QStringLiteral("The columns are entry (1 to the floor count, 49 to 53), name and value; a switch\n"
                        "value that brought no reply is empty (null in JSON)."),
         runShaftRead},
        {{QStringLiteral("learn"), QStringLiteral("start")}, QString(), 0, 0, {QStringLiteral("yes")}, true,
         QStringLiteral("start the shaft learning run; the car moves (asks first)"), QString(), runLearnStart},
    };
}

} // namespace cli
