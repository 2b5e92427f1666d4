#include "ConfigHome.h"
#include "LinkSettings.h"
#include "RegistryKey.h"

#include <QtTest>

class SettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void absent_key()
    {
        ConfigHome home;
        QVERIFY(!LinkSettings::read().has_value());
        RegistryKey key;
        QVERIFY(!key.openKey(kSettingsKey));
        QString value;
        QVERIFY(!key.readString(settingName::combaud, value));
    }

    void round_trip_through_the_writer()
    {
        ConfigHome home;
        RegistryKey key;
        QVERIFY(key.openKey(QStringLiteral("Software")));
        QVERIFY(key.createKey(QStringLiteral("VARDOCOM")));
        QVERIFY(key.writeString(settingName::comwhole, QStringLiteral("3O72")));
        QVERIFY(key.writeString(settingName::combaud, QStringLiteral("19200")));
        QVERIFY(key.writeString(settingName::comdoorbaud, QStringLiteral("9600")));
        QVERIFY(key.writeString(settingName::specialcode, QStringLiteral("L")));
        key.closeKey();

        const auto s = LinkSettings::read();
        QVERIFY(s.has_value());
        QCOMPARE(s->portNumber, 3);
        QCOMPARE(s->parity, 'O');
        QCOMPARE(s->dataBits, 7);
        QCOMPARE(s->stopBits, 2);
        QCOMPARE(s->elevatorBaud, 19200);
        QCOMPARE(s->doorBaud, 9600);
        QCOMPARE(s->specialCode, 'L');
    }

    void values_fall_back_data()
    {
        QTest::addColumn<QByteArray>("comwhole");
        QTest::addColumn<QByteArray>("combaud");
        QTest::addColumn<QByteArray>("comdoorbaud");
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("doorBaud");
        QTest::newRow("door absent uses elevator rate") << QByteArray("1N81") << QByteArray("19200") << QByteArray() << 1 << 19200 << 19200;
        QTest::newRow("short comwhole takes defaults") << QByteArray("5N") << QByteArray("4800") << QByteArray("38400") << 1 << 4800 << 38400;
        QTest::newRow("nothing but the key") << QByteArray() << QByteArray() << QByteArray() << 1 << 9600 << 9600;
        QTest::newRow("non-digit converts to 0") << QByteArray("xN81") << QByteArray("abc") << QByteArray("2400") << 0 << 0 << 2400;
    }

    void values_fall_back()
    {
        QFETCH(QByteArray, comwhole);
        QFETCH(QByteArray, combaud);
        QFETCH(QByteArray, comdoorbaud);
        QFETCH(int, port);
        QFETCH(int, baud);
        QFETCH(int, doorBaud);
        ConfigHome home;
        home.writeSettings(comwhole.isEmpty() ? nullptr : comwhole.constData(),
                           combaud.isEmpty() ? nullptr : combaud.constData(),
                           comdoorbaud.isEmpty() ? nullptr : comdoorbaud.constData(), nullptr);
        const auto s = LinkSettings::read();
        QVERIFY(s.has_value());
        QCOMPARE(s->portNumber, port);
        QCOMPARE(s->elevatorBaud, baud);
        QCOMPARE(s->doorBaud, doorBaud);
        QCOMPARE(s->specialCode, 'E');
    }

    void long_values()
    {
        ConfigHome home;
        const QString longValue(250, QLatin1Char('9'));
        home.writeSettings("1N81", longValue.toUtf8().constData(), nullptr, "E");
        RegistryKey key;
        QVERIFY(key.openKey(kSettingsKey));
        QString value;
        QVERIFY(!key.readString(settingName::combaud, value));
        // The writer refuses more than 127 characters.
        QVERIFY(!key.writeString(settingName::combaud, QString(128, QLatin1Char('1'))));
        QVERIFY(key.writeString(settingName::combaud, QString(127, QLatin1Char('1'))));
        QVERIFY(key.readString(settingName::combaud, value));
        QCOMPARE(value.size(), 127);
        // The absent value falls back to the default rate.
        home.writeSettings("1N81", longValue.toUtf8().constData(), nullptr, "E");
        QCOMPARE(LinkSettings::read()->elevatorBaud, 9600);
    }

    void unwritable_store_reports_failure()
    {
        ConfigHome home;
        // A folder where the settings file should be cannot be written, even by root.
        QDir().mkpath(home.path() + QStringLiteral("/VARDOCOM/settings.ini"));
        RegistryKey key;
        QVERIFY(key.openKey(kSettingsKey));
        QVERIFY(!key.writeString(settingName::combaud, QStringLiteral("4800")));
    }

    void failed_open_keeps_the_held_key()
    {
        ConfigHome home;
        home.writeSettings("2E71", "1200", nullptr, "N");
        RegistryKey key;
        QVERIFY(key.openKey(kSettingsKey));
        QVERIFY(!key.openKey(QStringLiteral("Nowhere")));
        QString value;
        QVERIFY(key.readString(settingName::comwhole, value));
        QCOMPARE(value, QStringLiteral("2E71"));
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
