#include "HistoryRef.h"

#include "HistoryStore.h"

#include <QRegularExpression>

namespace history {

RefLookup lookUp(HistoryStore& store, const QString& ref, const QString& controller, std::optional<SetLayout> layout)
{
    RefLookup found;
    static const QRegularExpression latest(QStringLiteral("^latest(?:~(\\d{1,6}))?$"));
    const QRegularExpressionMatch m = latest.match(ref);
    if (m.hasMatch()) {
        QString key = controller;
        if (key.isEmpty()) {
            const QList<KnownController> known = store.controllers();
            if (known.size() != 1) {
                found.error = known.isEmpty() ? QStringLiteral("the service record holds no controller yet")
                                              : QStringLiteral("%1 controllers are known: name one with --controller")
                                                    .arg(known.size());
                return found;
            }
            key = known.first().key;
        }
        const int back = m.captured(1).toInt();
        const QList<Snapshot> list = store.snapshots(key, layout, 1, back);
        if (list.isEmpty())
            found.error = QStringLiteral("%1: controller %2 has no such snapshot").arg(ref, key);
        else
            found.snapshot = list.first();
        return found;
    }
    const Resolved resolved = store.resolvePrefix(ref);
    switch (resolved.type) {
    case Resolved::Type::None:
        found.error = QStringLiteral("%1: no record has an id starting so (give 4 or more of its characters, "
                                     "or latest, latest~N)")
                          .arg(ref);
        break;
    case Resolved::Type::Ambiguous:
        found.error = QStringLiteral("%1: more than one record has an id starting so: give more characters").arg(ref);
        break;
    case Resolved::Type::Edit:
        found.edit = resolved.id;
        break;
    case Resolved::Type::Snapshot:
        found.snapshot = store.snapshot(resolved.id);
        break;
    }
    return found;
}

} // namespace history
