#include "ConfigFolder.h"
#include "ConfigHome.h"
#include "FrameBuffer.h"
#include "LinkEvents.h"
#include "RecordingPrompts.h"
#include "SerialChannel.h"
#include "SerialSettingsDialog.h"
#include "SimController.h"
#include "TestPty.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QSerialPort>
#include <QSettings>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

const QString kPortFailed = QStringLiteral("串口初始化失败，请重新设置");
const QString kRestart = QStringLiteral("请重新启动程序，方能生效");

// Stands in for the main window: counts close requests and received bytes.
class MainWindowStandIn : public QWidget
{
public:
    int closeRequests = 0;
    QByteArray bytes;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::Close) {
            ++closeRequests;
            e->ignore();
            return true;
        }
        if (e->type() == WM_LINK_RXBYTE) {
            bytes.append(char(static_cast<LinkRxByteEvent*>(e)->byte()));
            return true;
        }
        return QWidget::event(e);
    }
};

const char* orNull(const QByteArray& value)
{
    return value.isNull() ? nullptr : value.constData();
}

QByteArray text(const char* value)
{
    return QByteArray(value);
}

QString storedValue(const char* name)
{
    QSettings settings(vardoConfigFolder() + QStringLiteral("/settings.ini"), QSettings::IniFormat);
    return settings.value(QLatin1String(name)).toString();
}

} // namespace

class SettingsDialogTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ConfigHome> home_;
    std::unique_ptr<RecordingPrompts> prompts_;
    std::unique_ptr<SimController> sim_;
    std::vector<std::unique_ptr<TestPty>> ptys_;
    std::unique_ptr<MainWindowStandIn> main_;

    // COM1 is the simulator, the other ports in `present` are plain
    // pseudo-terminals, the rest of COM1 to COM9 do not exist.
    void placePorts(const QList<int>& present)
    {
        for (int n = 1; n <= 9; ++n) {
            if (!present.contains(n)) {
                home_->linkMissingPort(n);
            } else if (n == 1) {
                sim_ = std::make_unique<SimController>();
                sim_->linkAs(1);
            } else {
                ptys_.push_back(std::make_unique<TestPty>());
                home_->linkPort(n, ptys_.back()->slavePath());
            }
        }
    }

    template <class T>
    static T* child(QWidget* dialog, const char* name)
    {
        T* widget = dialog->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    static QString shown(QWidget* dialog, const char* name) { return child<QComboBox>(dialog, name)->currentText(); }

private Q_SLOTS:
    void init()
    {
        home_ = std::make_unique<ConfigHome>();
        prompts_ = std::make_unique<RecordingPrompts>();
        main_ = std::make_unique<MainWindowStandIn>();
        main_->show();
        serialChannel.linkBusy = 0;
        specialCode = '\0';
    }

    void cleanup()
    {
        serialChannel.close();
        main_.reset();
        sim_.reset();
        ptys_.clear();
        prompts_.reset();
        home_.reset();
    }

    void controls_and_items()
    {
        placePorts({1});
        SerialSettingsDialog dialog(main_.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("串口设置"));
        const QStringList rates{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
        const auto items = [&](const char* name) {
            QStringList out;
            QComboBox* combo = child<QComboBox>(&dialog, name);
            for (int i = 0; i < combo->count(); ++i)
                out << combo->itemText(i);
            return out;
        };
        QCOMPARE(items("elevatorBaudCombo"), rates);
        QCOMPARE(items("doorBaudCombo"), rates);
        QCOMPARE(items("dataBitsCombo"), (QStringList{"7", "8"}));
        QCOMPARE(items("stopBitsCombo"), (QStringList{"1", "2"}));
        QCOMPARE(items("parityCombo"), (QStringList{"无", "奇", "偶"}));
        QCOMPARE(items("specialCodeCombo"), (QStringList{"N", "E", "L"}));
        QCOMPARE(child<QGroupBox>(&dialog, "lineSettingsGroup")->title(), QStringLiteral("串口设置"));
        QVERIFY(child<QPushButton>(&dialog, "okButton")->isDefault());
        QCOMPARE(child<QPushButton>(&dialog, "okButton")->text(), QStringLiteral("确定"));
        QCOMPARE(child<QPushButton>(&dialog, "cancelButton")->text(), QStringLiteral("取消"));
        dialog.show();
        QVERIFY(child<QComboBox>(&dialog, "portCombo")->isVisible());
        QVERIFY(!child<QComboBox>(&dialog, "specialCodeCombo")->isVisible());
        QVERIFY(!child<QGroupBox>(&dialog, "specialCodeGroup")->isVisible());
        QVERIFY(!child<QComboBox>(&dialog, "dataBitsCombo")->isEditable());
        QVERIFY(child<QComboBox>(&dialog, "specialCodeCombo")->isEditable());
        dialog.hide();
    }

    void opening_shows_the_stored_values_data()
    {
        QTest::addColumn<bool>("keyExists");
        QTest::addColumn<QByteArray>("comwhole");
        QTest::addColumn<QByteArray>("combaud");
        QTest::addColumn<QByteArray>("comdoorbaud");
        QTest::addColumn<QByteArray>("code");
        // port, elevator rate, door rate, data bits, stop bits, parity, special code
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("1N81 9600 38400 E") << true << text("1N81") << text("9600") << text("38400") << text("E")
                                           << QStringList{"COM1", "9600", "38400", "8", "1", "无", "E"};
        QTest::newRow("odd parity, 7 data, 2 stop") << true << text("3O72") << text("19200") << text("9600")
                                                    << text("L")
                                                    << QStringList{"COM3", "19200", "9600", "7", "2", "奇", "L"};
        QTest::newRow("parity E shows even") << true << text("1E81") << text("9600") << text("38400") << text("E")
                                             << QStringList{"COM1", "9600", "38400", "8", "1", "偶", "E"};
        QTest::newRow("other parity letter shows even")
            << true << text("1X81") << text("9600") << text("38400") << text("E")
            << QStringList{"COM1", "9600", "38400", "8", "1", "偶", "E"};
        QTest::newRow("port not listed: no selection")
            << true << text("5N81") << text("9600") << text("38400") << text("E")
            << QStringList{"", "9600", "38400", "8", "1", "无", "E"};
        QTest::newRow("rate not listed: no selection")
            << true << text("1N81") << text("14400") << text("38400") << text("E")
            << QStringList{"COM1", "", "38400", "8", "1", "无", "E"};
        QTest::newRow("rate text selects the first rate it begins")
            << true << text("1N81") << text("192") << text("3") << text("N")
            << QStringList{"COM1", "19200", "38400", "8", "1", "无", "N"};
        QTest::newRow("no settings key: defaults") << false << QByteArray() << QByteArray() << QByteArray()
                                                   << QByteArray()
                                                   << QStringList{"COM1", "9600", "38400", "8", "1", "无", "E"};
        QTest::newRow("key without values: defaults")
            << true << QByteArray() << QByteArray() << QByteArray() << QByteArray()
            << QStringList{"COM1", "9600", "38400", "8", "1", "无", "E"};
        QTest::newRow("short comwhole: default line") << true << text("3O") << text("4800") << text("38400")
                                                      << text("E")
                                                      << QStringList{"COM1", "4800", "38400", "8", "1", "无", "E"};
        QTest::newRow("special code kept as stored")
            << true << text("1N81") << text("9600") << text("38400") << text("Q")
            << QStringList{"COM1", "9600", "38400", "8", "1", "无", "Q"};
    }

    void opening_shows_the_stored_values()
    {
        QFETCH(bool, keyExists);
        QFETCH(QByteArray, comwhole);
        QFETCH(QByteArray, combaud);
        QFETCH(QByteArray, comdoorbaud);
        QFETCH(QByteArray, code);
        QFETCH(QStringList, texts);
        placePorts({1, 3});
        if (keyExists)
            home_->writeSettings(orNull(comwhole), orNull(combaud), orNull(comdoorbaud), orNull(code));
        SerialSettingsDialog dialog(main_.get());
        const QStringList seen{shown(&dialog, "portCombo"),     shown(&dialog, "elevatorBaudCombo"),
                               shown(&dialog, "doorBaudCombo"), shown(&dialog, "dataBitsCombo"),
                               shown(&dialog, "stopBitsCombo"), shown(&dialog, "parityCombo"),
                               shown(&dialog, "specialCodeCombo")};
        QCOMPARE(seen, texts);
        QVERIFY(prompts_->messages.isEmpty());
    }

    // The probe lists every COM name whose device is there, COM9 too, and
    // a port that another program holds; it shows each device and leaves
    // the channel closed, also when it held one of the listed ports before.
    void probe_lists_the_ports_that_are_there()
    {
        placePorts({1, 4, 8, 9});
        home_->writeSettings("1N81", "9600", "38400", "E");
        QSerialPort otherProgram(QFileInfo(ptys_[0]->slavePath()).canonicalFilePath());
        QVERIFY(otherProgram.open(QIODevice::ReadWrite));
        QVERIFY(serialChannel.open(main_.get(), 1, 9600, 'N', 8, 1, SerialChannel::kEventMask));
        SerialSettingsDialog dialog(main_.get());
        QVERIFY(!serialChannel.isOpen());
        QComboBox* ports = child<QComboBox>(&dialog, "portCombo");
        QStringList listed, tips;
        for (int i = 0; i < ports->count(); ++i) {
            listed << ports->itemText(i);
            tips << ports->itemData(i, Qt::ToolTipRole).toString();
        }
        QCOMPARE(listed, (QStringList{"COM1", "COM4", "COM8", "COM9"}));
        const QString sim = QFileInfo(sim_->devicePath()).canonicalFilePath();
        QCOMPARE(tips, (QStringList{sim, QFileInfo(ptys_[0]->slavePath()).canonicalFilePath(),
                                    QFileInfo(ptys_[1]->slavePath()).canonicalFilePath(),
                                    QFileInfo(ptys_[2]->slavePath()).canonicalFilePath()}));
        QCOMPARE(ports->currentText(), QStringLiteral("COM1"));
    }

    void ok_stores_the_settings_and_asks_for_a_restart()
    {
        placePorts({1, 3});
        home_->writeSettings("1N81", "9600", "38400", "L");
        SerialSettingsDialog dialog(main_.get());
        dialog.show();
        child<QComboBox>(&dialog, "portCombo")->setCurrentText(QStringLiteral("COM3"));
        child<QComboBox>(&dialog, "elevatorBaudCombo")->setCurrentText(QStringLiteral("19200"));
        child<QComboBox>(&dialog, "doorBaudCombo")->setCurrentText(QStringLiteral("9600"));
        child<QComboBox>(&dialog, "dataBitsCombo")->setCurrentIndex(0);
        child<QComboBox>(&dialog, "stopBitsCombo")->setCurrentIndex(1);
        child<QComboBox>(&dialog, "parityCombo")->setCurrentText(QStringLiteral("奇"));
        QTest::mouseClick(child<QPushButton>(&dialog, "okButton"), Qt::LeftButton);

        QCOMPARE(storedValue("comwhole"), QStringLiteral("3O72"));
        QCOMPARE(storedValue("combaud"), QStringLiteral("19200"));
        QCOMPARE(storedValue("comdoorbaud"), QStringLiteral("9600"));
        QCOMPARE(storedValue("specialcode"), QStringLiteral("L"));
        QCOMPARE(prompts_->messages, QStringList{kRestart});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QVERIFY(!serialChannel.isOpen());
        QTRY_COMPARE(main_->closeRequests, 1);
    }

    // Lists without a selection keep what was stored.
    void ok_keeps_stored_values_of_lists_without_selection()
    {
        placePorts({1});
        home_->writeSettings("1E82", "14400", "38400", "N");
        SerialSettingsDialog dialog(main_.get());
        dialog.show();
        child<QComboBox>(&dialog, "dataBitsCombo")->setCurrentIndex(-1);
        child<QComboBox>(&dialog, "parityCombo")->setCurrentIndex(-1);
        QTest::mouseClick(child<QPushButton>(&dialog, "okButton"), Qt::LeftButton);
        QCOMPARE(storedValue("comwhole"), QStringLiteral("1E82"));
        QCOMPARE(storedValue("combaud"), QStringLiteral("14400"));
        QCOMPARE(storedValue("specialcode"), QStringLiteral("N"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    // Nothing opened, nothing to choose: OK is refused and the dialog stays.
    void ok_without_a_port_is_refused()
    {
        placePorts({});
        SerialSettingsDialog dialog(main_.get());
        dialog.show();
        QCOMPARE(child<QComboBox>(&dialog, "portCombo")->count(), 0);
        QTest::mouseClick(child<QPushButton>(&dialog, "okButton"), Qt::LeftButton);
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY(prompts_->messages[0] != kRestart);
        QVERIFY(dialog.isVisible());
        QVERIFY(!QFile::exists(vardoConfigFolder() + QStringLiteral("/settings.ini")));
        QTest::qWait(0);
        QCOMPARE(main_->closeRequests, 0);
    }

    // A store that cannot be written is reported; nothing asks for a restart.
    void ok_with_a_store_that_cannot_be_written()
    {
        placePorts({1});
        // A folder where the settings file belongs cannot be written as one.
        QVERIFY(QDir().mkpath(vardoConfigFolder() + QStringLiteral("/settings.ini")));
        SerialSettingsDialog dialog(main_.get());
        dialog.show();
        QTest::mouseClick(child<QPushButton>(&dialog, "okButton"), Qt::LeftButton);
        QCOMPARE(prompts_->messages, QStringList{QStringLiteral("串口设置保存失败")});
        QVERIFY(dialog.isVisible());
        QTest::qWait(0);
        QCOMPARE(main_->closeRequests, 0);
    }

    void cancel_reopens_from_the_stored_settings_data()
    {
        QTest::addColumn<bool>("keyExists");
        QTest::addColumn<QByteArray>("comwhole");
        QTest::addColumn<QByteArray>("combaud");
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<char>("specialCode");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("stored rate, button") << true << text("1N81") << text("19200") << text("L") << "button" << true
                                             << 19200 << 1 << 'L' << QStringList();
        QTest::newRow("Escape") << true << text("1N82") << text("4800") << text("N") << "escape" << true << 4800 << 2
                                << 'N' << QStringList();
        QTest::newRow("close box") << true << text("1N81") << text("57600") << text("E") << "close" << true << 57600
                                   << 1 << 'E' << QStringList();
        QTest::newRow("short comwhole: default line") << true << text("1N") << text("19200") << text("E") << "button"
                                                      << true << 19200 << 1 << 'E' << QStringList();
        QTest::newRow("rate and code absent: defaults") << true << text("1N81") << QByteArray() << QByteArray()
                                                        << "button" << true << 9600 << 1 << 'E' << QStringList();
        QTest::newRow("no settings key: stays closed") << false << QByteArray() << QByteArray() << QByteArray()
                                                       << "button" << false << 0 << 0 << '\0' << QStringList();
        QTest::newRow("stored port missing") << true << text("2N81") << text("9600") << text("E") << "button" << false
                                             << 0 << 0 << 'E' << QStringList{kPortFailed};
    }

    void cancel_reopens_from_the_stored_settings()
    {
        QFETCH(bool, keyExists);
        QFETCH(QByteArray, comwhole);
        QFETCH(QByteArray, combaud);
        QFETCH(QByteArray, code);
        QFETCH(QString, how);
        QFETCH(bool, opens);
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        QFETCH(char, specialCode);
        QFETCH(QStringList, messages);
        placePorts({1});
        if (keyExists)
            home_->writeSettings(orNull(comwhole), orNull(combaud), "38400", orNull(code));
        SerialSettingsDialog dialog(main_.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (how == QLatin1String("button"))
            QTest::mouseClick(child<QPushButton>(&dialog, "cancelButton"), Qt::LeftButton);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();

        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(prompts_->messages, messages);
        QCOMPARE(::specialCode, specialCode);
        QCOMPARE(serialChannel.isOpen(), opens);
        if (!opens)
            return;
        QCOMPARE(serialChannel.portNumber(), 1);
        QCOMPARE(sim_->lineBaud(), baud);
        QCOMPARE(sim_->lineStopBits(), stopBits);
        // The main window receives the bytes again.
        sim_->sendFrame("\x02" "FF\x03");
        QTRY_COMPARE(main_->bytes, QByteArray("\x02" "FF\x03"));
        QCOMPARE(main_->closeRequests, 0);
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "tst_settings_dialog.moc"
