#include "FaultTime.h"

#include <QRegularExpression>

namespace cli {

QString isoFaultTime(const QString& shown, FaultLayout layout)
{
    if (layout == FaultLayout::Long) {
        static const QRegularExpression longTime(QStringLiteral("^(\\d\\d)-(\\d\\d)-(\\d\\d) (\\d\\d):(\\d\\d)$"));
        const QRegularExpressionMatch m = longTime.match(shown);
        if (m.hasMatch())
            return QStringLiteral("20%1-%2-%3T%4:%5")
                .arg(m.captured(1), m.captured(2), m.captured(3), m.captured(4), m.captured(5));
        return shown;
    }
    static const QRegularExpression shortTime(QStringLiteral("^(\\d\\d)(\\d\\d)(\\d\\d)(\\d\\d)$"));
    const QRegularExpressionMatch m = shortTime.match(shown);
    if (m.hasMatch())
        return QStringLiteral("--%1-%2T%3:%4").arg(m.captured(1), m.captured(2), m.captured(3), m.captured(4));
    return shown;
}

} // namespace cli
