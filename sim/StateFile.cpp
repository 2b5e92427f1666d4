#include "StateFile.h"

#include "DoorModel.h"
#include "ElevatorModel.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace statefile {

bool save(const QString& path, const ElevatorModel& elevator, const DoorModel& door)
{
    QJsonObject root;
    root[QStringLiteral("model")] = QLatin1String(modelName(elevator.model()));
    QJsonArray params;
    for (int i = 0; i < elevator.parameterCount(); ++i)
        params.append(int(elevator.parameter(i)));
    root[QStringLiteral("elevator")] = params;
    QJsonArray doorParams;
    for (int i = 0; i < door.parameterCount(); ++i)
        doorParams.append(int(door.parameter(i)));
    root[QStringLiteral("door")] = doorParams;
    root[QStringLiteral("elevatorId")] = QString::fromLatin1(elevator.elevatorId());
    root[QStringLiteral("telephone")] = QString::fromLatin1(elevator.telephone());
    root[QStringLiteral("runCounter")] = elevator.runCounter();
    QJsonArray lockout;
    for (int f = 1; f <= 48; ++f) {
        const auto p = elevator.lockoutPeriod(f);
        if (p == ElevatorModel::LockoutPeriod{})
            continue;
        lockout.append(QJsonArray{f, p.startHour, p.startMinute, p.endHour, p.endMinute});
    }
    root[QStringLiteral("lockout")] = lockout;
    QJsonArray cards;
    for (int card : elevator.validIcCards())
        cards.append(card);
    root[QStringLiteral("icCards")] = cards;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson());
    return file.commit();
}

bool load(const QString& path, ElevatorModel& elevator, DoorModel& door)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    if (!doc.isObject())
        return false;
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("model")).toString() == QLatin1String(modelName(elevator.model()))) {
        const QJsonArray params = root.value(QStringLiteral("elevator")).toArray();
        // The floor count first, so that the floor flags and display codes
        // that follow it are taken against the right shaft.
        if (params.size() > 11)
            elevator.setParameter(11, unsigned(params[11].toInt()));
        for (int i = 0; i < params.size() && i < elevator.parameterCount(); ++i)
            elevator.setParameter(i, unsigned(params[i].toInt()));
        elevator.setElevatorId(root.value(QStringLiteral("elevatorId")).toString().toLatin1());
        elevator.setTelephone(root.value(QStringLiteral("telephone")).toString().toLatin1());
        elevator.setRunCounter(root.value(QStringLiteral("runCounter")).toInt(elevator.runCounter()));
        for (const QJsonValue& v : root.value(QStringLiteral("lockout")).toArray()) {
            const QJsonArray a = v.toArray();
            if (a.size() == 5)
                elevator.setLockoutPeriod(a[0].toInt(), {a[1].toInt(), a[2].toInt(), a[3].toInt(), a[4].toInt()});
        }
        for (const QJsonValue& v : root.value(QStringLiteral("icCards")).toArray())
            elevator.setIcCard(v.toInt(), true);
    }
    const QJsonArray doorParams = root.value(QStringLiteral("door")).toArray();
    for (int i = 1; i < doorParams.size() && i < door.parameterCount(); ++i)
        door.setParameter(i, unsigned(doorParams[i].toInt()));
    return true;
}

} // namespace statefile
