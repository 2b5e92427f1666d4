#include "FieldValidation.h"

#include "Prompts.h"

#include <QLineEdit>

namespace {

// Digits with an optional sign, blanks around them; nothing when the text
// is anything else or does not fit in 64 bits.
std::optional<qint64> parseDecimal(const QString& text, bool signAllowed)
{
    const QString trimmed = text.trimmed();
    int start = 0;
    if (signAllowed && !trimmed.isEmpty() && (trimmed[0] == QLatin1Char('-') || trimmed[0] == QLatin1Char('+')))
        start = 1;
    if (start == trimmed.size())
        return std::nullopt;
    for (int i = start; i < trimmed.size(); ++i) {
        if (trimmed[i] < QLatin1Char('0') || trimmed[i] > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

FieldCheck check(const QString& text, qint64 low, qint64 high, bool signAllowed, const QString& notANumber)
{
    const std::optional<qint64> value = parseDecimal(text, signAllowed);
    if (!value)
        return {std::nullopt, notANumber};
    if (*value < low || *value > high)
        return {std::nullopt, rangeRefusal(low, high)};
    return {value, QString()};
}

std::optional<qint64> take(QLineEdit* field, const FieldCheck& result)
{
    if (result.value)
        return result.value;
    prompts::showMessage(result.refusal);
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    return std::nullopt;
}

} // namespace

QString rangeRefusal(qint64 low, qint64 high)
{
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high);
}

FieldCheck checkUnsigned(const QString& text, qint64 low, qint64 high)
{
    return check(text, low, high, false, QStringLiteral("Please enter a positive integer."));
}

FieldCheck checkInteger(const QString& text, qint64 low, qint64 high)
{
    return check(text, low, high, true, QStringLiteral("Please enter an integer."));
}

std::optional<qint64> takeUnsigned(QLineEdit* field, qint64 low, qint64 high)
{
    return take(field, checkUnsigned(field->text(), low, high));
}

std::optional<qint64> takeInteger(QLineEdit* field, qint64 low, qint64 high)
{
    return take(field, checkInteger(field->text(), low, high));
}
