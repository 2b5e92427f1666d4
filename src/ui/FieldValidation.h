#pragma once

#include <QString>

#include <optional>

class QLineEdit;

// The standard checks of a numeric field in the small dialogs, with the
// framework's messages. The check itself is widget-free: it gives the value
// or the text that refuses it.
struct FieldCheck
{
    std::optional<qint64> value;
    QString refusal;  // empty when value is set
};

// An unsigned decimal number, blanks around it allowed, within [low, high].
// Refused with "Please enter a positive integer." when the text is not one,
// "Please enter an integer between %1 and %2." when it lies outside.
FieldCheck checkUnsigned(const QString& text, qint64 low, qint64 high);

// A decimal integer with an optional sign, blanks around it allowed, within
// [low, high]. Refused with "Please enter an integer." when the text is not
// one, the range message when it lies outside.
FieldCheck checkInteger(const QString& text, qint64 low, qint64 high);

// "Please enter an integer between %1 and %2." with the bounds.
QString rangeRefusal(qint64 low, qint64 high);

// Dialog side: the field's value, or nothing after the refusal was shown in
// a message box and the field got the focus with its text selected (the
// dialog then stays open).
std::optional<qint64> takeUnsigned(QLineEdit* field, qint64 low, qint64 high);
std::optional<qint64> takeInteger(QLineEdit* field, qint64 low, qint64 high);
