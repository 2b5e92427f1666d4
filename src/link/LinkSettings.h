#pragma once

#include <QString>

#include <optional>

// What the tool takes from the stored link settings. Values that are
// absent (or a "comwhole" shorter than four characters) take the settings
// dialog's defaults.
struct LinkSettings
{
    static constexpr int kDefaultPort = 1;
    static constexpr char kDefaultParity = 'N';
    static constexpr int kDefaultDataBits = 8;
    static constexpr int kDefaultStopBits = 1;
    static constexpr int kDefaultElevatorBaud = 9600;
    static constexpr int kDefaultDoorBaud = 38400;
    static constexpr char kDefaultSpecialCode = 'E';

    int portNumber = kDefaultPort;
    char parity = kDefaultParity;
    int dataBits = kDefaultDataBits;
    int stopBits = kDefaultStopBits;
    int elevatorBaud = kDefaultElevatorBaud;
    // The elevator rate when "comdoorbaud" is absent.
    int doorBaud = kDefaultElevatorBaud;
    char specialCode = kDefaultSpecialCode;

    // Reads the four values; nothing when the settings key does not exist.
    static std::optional<LinkSettings> read();

    // "comwhole" of the four line values, such as "1N81".
    static QString comwhole(int port, char parity, int dataBits, int stopBits);
};

// Value names in the store.
namespace settingName {
inline const QString comwhole = QStringLiteral("comwhole");
inline const QString combaud = QStringLiteral("combaud");
inline const QString comdoorbaud = QStringLiteral("comdoorbaud");
inline const QString specialcode = QStringLiteral("specialcode");
} // namespace settingName

// The key path of the settings below the user's root.
inline const QString kSettingsKey = QStringLiteral("Software\\VARDOCOM");

// Decimal value of a digit character; 0 for anything else.
int digitValue(QChar c);
// Leading decimal number of a text (leading blanks and a sign allowed), 0 when there is none.
int leadingNumber(const QString& text);
