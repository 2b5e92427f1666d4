#include "LinkSettings.h"

#include "RegistryKey.h"

int digitValue(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? c.unicode() - '0' : 0;
}

int leadingNumber(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    long long value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > 0x7FFFFFFF)
            value = 0x7FFFFFFF;
    }
    return int(negative ? -value : value);
}

std::optional<LinkSettings> LinkSettings::read()
{
    RegistryKey key;
    if (!key.openKey(kSettingsKey))
        return std::nullopt;

    LinkSettings settings;
    QString whole, baud, doorBaud, code;
    const bool hasWhole = key.readString(settingName::comwhole, whole) && whole.size() >= 4;
    const bool hasBaud = key.readString(settingName::combaud, baud);
    const bool hasDoorBaud = key.readString(settingName::comdoorbaud, doorBaud);
    const bool hasCode = key.readString(settingName::specialcode, code) && !code.isEmpty();
    key.closeKey();

    if (hasWhole) {
        settings.portNumber = digitValue(whole[0]);
        settings.parity = whole[1].toLatin1();
        settings.dataBits = digitValue(whole[2]);
        settings.stopBits = digitValue(whole[3]);
    }
    if (hasBaud)
        settings.elevatorBaud = leadingNumber(baud);
    settings.doorBaud = hasDoorBaud ? leadingNumber(doorBaud) : settings.elevatorBaud;
    if (hasCode)
        settings.specialCode = code[0].toLatin1();
    return settings;
}

QString LinkSettings::comwhole(int port, char parity, int dataBits, int stopBits)
{
    return QStringLiteral("%1%2%3%4").arg(port).arg(QLatin1Char(parity)).arg(dataBits).arg(stopBits);
}
