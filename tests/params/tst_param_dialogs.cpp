#include "BitMaskDialog.h"
#include "CICDlg.h"
#include "ConfigHome.h"
#include "DialogValues.h"
#include "DisplayCodeDialog.h"
#include "FloorPeriodDialog.h"
#include "LockoutScheduleDialog.h"
#include "ModalDialogs.h"
#include "PageTestHost.h"
#include "ParamDescriptions.h"
#include "RecordingPrompts.h"
#include "ReportList.h"
#include "SimController.h"
#include "ValueEntryDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

namespace {

// Answers the next modal dialog; a failed check inside answer still closes
// it, so the test reports instead of hanging.
void answerDialog(std::function<void(QDialog*)> answer)
{
    onNextModalDialog([answer](QDialog* d) {
        answer(d);
        if (d->isVisible())
            d->reject();
    });
}

void click(QDialog* dialog, const char* button)
{
    QPushButton* b = dialog->findChild<QPushButton*>(QLatin1String(button));
    QVERIFY(b);
    b->click();
}

// The requests of one command pair the controller received, in order, as
// `length` characters from the command on.
QList<QByteArray> sent(const SimController& sim, const QByteArray& pair, int length)
{
    QList<QByteArray> out;
    for (const QByteArray& frame : sim.requests()) {
        if (frame.mid(3, 2) == pair)
            out << frame.mid(3, length);
    }
    return out;
}

void setPeriodFields(FloorPeriodDialog* p, const QStringList& texts)
{
    QLineEdit* edits[] = {p->startHourEdit(), p->startMinuteEdit(), p->endHourEdit(), p->endMinuteEdit()};
    for (int i = 0; i < 4; ++i)
        edits[i]->setText(texts[i]);
}

} // namespace

class ParamDialogsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ConfigHome> home_;
    std::unique_ptr<SimController> sim_;
    std::unique_ptr<PageTestHost> host_;
    std::unique_ptr<RecordingPrompts> prompts_;

    // The simulated controller on COM1, opened as the pages open it.
    void openController()
    {
        home_ = std::make_unique<ConfigHome>();
        SimOptions options;
        options.manualTime = true;
        options.faultReports = false;
        sim_ = std::make_unique<SimController>(options);
        sim_->linkAs(1);
        host_ = std::make_unique<PageTestHost>();
        QVERIFY(host_->openChannel(1));
    }

private Q_SLOTS:
    void init() { prompts_ = std::make_unique<RecordingPrompts>(); }
    void cleanup()
    {
        host_.reset();
        sim_.reset();
        home_.reset();
        prompts_.reset();
    }

    void value_entry_returns_the_text_as_left_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("result");
        QTest::newRow("emptied") << QString() << true << QString();
        QTest::newRow("digits then letters") << "12ab" << true << "12ab";
        QTest::newRow("Escape after editing") << "99" << false << "150";
    }
    void value_entry_returns_the_text_as_left()
    {
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(QString, result);
        ValueEntryDialog dialog;
        dialog.prompt = QStringLiteral("电梯额定速度 & more");
        dialog.valueText = QStringLiteral("150");
        answerDialog([&](QDialog* d) {
            QCOMPARE(dialog.valueEdit()->text(), QStringLiteral("150"));
            dialog.valueEdit()->setText(typed);
            ok ? click(d, "okButton") : QTest::keyClick(d, Qt::Key_Escape);
        });
        QCOMPARE(dialog.exec(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(dialog.valueText, result);
        QCOMPARE(dialog.prompt, QStringLiteral("电梯额定速度 & more"));
    }

    void bit_mask_labels_and_value_data()
    {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("checked");  // bit 0 first
        QTest::addColumn<QString>("labels");   // of bits 0 and 15
        QTest::addColumn<int>("toggle");       // bit to click, -1 none
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("out");
        const QString plain = QStringLiteral("单梯设定的服务层(对应1到16层)");
        const QString x0 = descriptionByStringId(26).value();
        QTest::newRow("0100 is bit 0") << plain << QByteArray("0100") << "1000000000000000" << "1 16" << -1 << true
                                       << QByteArray("0100");
        QTest::newRow("0001 is bit 8") << plain << QByteArray("0001") << "0000000010000000" << "1 16" << -1 << true
                                       << QByteArray("0001");
        QTest::newRow("X31 alone") << descriptionByStringId(27).value() << QByteArray("0000") << QString(16, '0')
                                   << "X16 X31" << 15 << true << QByteArray("0080");
        QTest::newRow("lowercase comes back uppercase") << x0 << QByteArray("ab12") << "1101010101001000"
                                                        << "X0 X15" << -1 << true << QByteArray("AB12");
        QTest::newRow("TX0 to TX15") << descriptionByStringId(28).value() << QByteArray("FFFF") << QString(16, '1')
                                     << "TX0 TX15" << 0 << true << QByteArray("FEFF");
        QTest::newRow("cancel keeps the value") << descriptionByStringId(29).value() << QByteArray("0100")
                                                << "1000000000000000" << "TX16 TX31" << 3 << false
                                                << QByteArray("0100");
        QTest::newRow("one character off keeps numbers") << x0.chopped(1) << QByteArray("zz01")
                                                         << "0000000010000000" << "1 16" << -1 << true
                                                         << QByteArray("0001");
    }
    void bit_mask_labels_and_value()
    {
        QFETCH(QString, prompt);
        QFETCH(QByteArray, in);
        QFETCH(QString, checked);
        QFETCH(QString, labels);
        QFETCH(int, toggle);
        QFETCH(bool, ok);
        QFETCH(QByteArray, out);
        BitMaskDialog dialog;
        dialog.prompt = prompt;
        std::copy(in.begin(), in.end(), dialog.valueChars);
        answerDialog([&](QDialog* d) {
            QString shown;
            for (int bit = 0; bit < 16; ++bit)
                shown += dialog.bitBox(bit)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
            QCOMPARE(shown, checked);
            QCOMPARE(dialog.bitBox(0)->text() + ' ' + dialog.bitBox(15)->text(), labels);
            // Bits 0..7 down the left column, 8..15 down the right.
            QVERIFY(dialog.bitBox(8)->x() > dialog.bitBox(7)->x());
            QCOMPARE(dialog.bitBox(8)->y(), dialog.bitBox(0)->y());
            if (toggle >= 0)
                dialog.bitBox(toggle)->click();
            click(d, ok ? "okButton" : "cancelButton");
        });
        dialog.exec();
        QCOMPARE(QByteArray(dialog.valueChars), out);
    }

    void display_code_preselects_and_returns_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("preselected");
        QTest::addColumn<QString>("choose");  // empty: keep
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("result");
        QTest::newRow("99 exit") << 99 << "出口" << QString() << true << 99;
        QTest::newRow("60 B1, then -1") << 60 << "B1" << "-1" << true << 50;
        QTest::newRow("200") << 200 << "200" << QString() << true << 200;
        QTest::newRow("0 shows the first") << 0 << "1" << QString() << true << 1;
        QTest::newRow("cancel keeps the code") << 60 << "B1" << "-1" << false << 60;
    }
    void display_code_preselects_and_returns()
    {
        QFETCH(int, code);
        QFETCH(QString, preselected);
        QFETCH(QString, choose);
        QFETCH(bool, ok);
        QFETCH(int, result);
        DisplayCodeDialog dialog;
        dialog.code = code;
        QComboBox* list = dialog.codeList();
        answerDialog([&](QDialog* d) {
            QCOMPARE(list->currentText(), preselected);
            if (!choose.isEmpty())
                list->setCurrentIndex(list->findText(choose));
            click(d, ok ? "okButton" : "cancelButton");
        });
        dialog.exec();
        QCOMPARE(dialog.code, result);
        // A closed list of codes 1..255 in order; blanks after "48" and "-9".
        QVERIFY(!list->isEditable());
        QCOMPARE(list->count(), 255);
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(list->itemData(i).toInt(), i + 1);
        QCOMPARE(list->itemText(list->findText(QStringLiteral("48")) + 1), QStringLiteral(" "));
        QCOMPARE(list->itemData(list->findText(QStringLiteral("-9")) + 1).toInt(), 59);
        QCOMPARE(list->itemText(58), QStringLiteral(" "));
        QCOMPARE(list->itemText(170) + list->itemText(171), QStringLiteral("L3172"));
    }

    void floor_period_takes_fields_in_order_data()
    {
        QTest::addColumn<QStringList>("fields");  // start h, start m, end h, end m
        QTest::addColumn<QString>("message");     // empty: accepted
        QTest::addColumn<QString>("focused");
        QTest::newRow("hour 24") << QStringList{"24", "60", "7", "5"}
                                 << "Please enter an integer between 0 and 23." << "startHourEdit";
        QTest::newRow("minute 60") << QStringList{"23", "60", "x", "5"}
                                   << "Please enter an integer between 0 and 59." << "startMinuteEdit";
        QTest::newRow("end hour not a number") << QStringList{"0", "0", "-1", "5"}
                                               << "Please enter a positive integer." << "endHourEdit";
        QTest::newRow("end minute 60") << QStringList{"0", "0", "0", "60"}
                                       << "Please enter an integer between 0 and 59." << "endMinuteEdit";
        QTest::newRow("in range") << QStringList{"7", "5", " 23", "59"} << QString() << QString();
    }
    void floor_period_takes_fields_in_order()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, message);
        QFETCH(QString, focused);
        FloorPeriodDialog dialog(1, 2, 3, 4);
        answerDialog([&](QDialog* d) {
            QCOMPARE(dialog.startMinuteEdit()->text(), QStringLiteral("2"));
            setPeriodFields(&dialog, fields);
            click(d, "okButton");
            if (d->isVisible())
                QCOMPARE(d->focusWidget()->objectName(), focused);
        });
        const int result = dialog.exec();
        QCOMPARE(prompts_->messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(result, message.isEmpty() ? int(QDialog::Accepted) : int(QDialog::Rejected));
        const QList<unsigned> members{dialog.startHour, dialog.startMinute, dialog.endHour, dialog.endMinute};
        const QList<unsigned> expected =
            message.isEmpty() ? QList<unsigned>{7, 5, 23, 59} : QList<unsigned>{1, 2, 3, 4};
        QCOMPARE(members, expected);
    }

    void lockout_lists_floors_from_the_top_and_writes_them_in_order()
    {
        openController();
        sim_->withElevator([](ElevatorModel& e) {
            e.setParameter(11, 16);
            e.setLockoutPeriod(16, {7, 5, 18, 0});
            e.setLockoutPeriod(3, {7, 30, 18, 5});
        });
        LockoutScheduleDialog dialog(0);
        ReportList* list = dialog.floorList();
        answerDialog([&](QDialog* d) {
            QStringList floors;
            for (int row = 0; row < list->rowCount(); ++row)
                floors << list->cell(row, 0);
            QCOMPARE(floors.join(' '), QStringLiteral("16 15 14 13 12 11 10 9 8 7 6 5 4 3 2 1"));
            QCOMPARE(list->rowData(13), qint64(3));
            QCOMPARE(list->cell(0, 1) + list->cell(0, 2), QStringLiteral("07:0518:00"));
            QCOMPARE(list->cell(15, 1) + list->cell(15, 2), QStringLiteral("00:0000:00"));
            QVERIFY(!dialog.enabledBox()->isChecked());
            sim_->clearRequests();
            // Double click on floor 3 and set 08:15 to 17:45: the list changes, nothing is sent.
            answerDialog([](QDialog* period) {
                auto* p = static_cast<FloorPeriodDialog*>(period);
                QCOMPARE(p->startHourEdit()->text() + p->startMinuteEdit()->text(), QStringLiteral("730"));
                setPeriodFields(p, {"8", "15", "17", "45"});
                click(period, "okButton");
            });
            const QPoint at = list->visualItemRect(list->topLevelItem(13)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            QCOMPARE(list->cell(13, 1) + list->cell(13, 2), QStringLiteral("08:1517:45"));
            QVERIFY(sim_->requests().isEmpty());
            dialog.enabledBox()->click();
            click(d, "okButton");
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.lockoutEnabled, 1);
        const QList<QByteArray> writes = sent(*sim_, "FC", 12);
        QCOMPARE(writes.size(), 16);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(writes[i].mid(2, 2).toInt(nullptr, 16), 16 - i);
        QCOMPARE(writes[0], QByteArray("FC1007051200"));
        QCOMPARE(writes[13], QByteArray("FC03080F112D"));
        const auto floor3 = sim_->withElevator([](ElevatorModel& e) { return e.lockoutPeriod(3); });
        QCOMPARE(floor3, (ElevatorModel::LockoutPeriod{8, 15, 17, 45}));
    }

    // A floor whose ten tries go unconfirmed ends the writes there: the
    // message names it, the dialog stays open, OK writes again from the
    // top, and Cancel leaves without the switch.
    void lockout_write_not_confirmed_keeps_the_dialog()
    {
        openController();
        sim_->withElevator([](ElevatorModel& e) { e.setParameter(11, 4); });
        LockoutScheduleDialog dialog(0);
        answerDialog([&](QDialog* d) {
            sim_->restrictFaultsTo("FC");
            sim_->answerWrongCommand(true);
            dialog.enabledBox()->click();
            for (int press = 0; press < 2; ++press) {
                sim_->clearRequests();
                prompts_->messages.clear();
                click(d, "okButton");
                QVERIFY(d->isVisible());
                QCOMPARE(prompts_->messages, QStringList{QStringLiteral("第4层时间段写入失败")});
                QCOMPARE(sent(*sim_, "FC", 4), QList<QByteArray>(10, "FC04"));
            }
            click(d, "cancelButton");
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(dialog.lockoutEnabled, 0);
    }

    // Enter presses the focused button: a keyboard user who tabbed to the
    // cancel button cancels; with the focus elsewhere Enter still accepts.
    void enter_on_a_focused_cancel_cancels_data()
    {
        QTest::addColumn<QString>("dialogName");
        QTest::addColumn<bool>("focusCancel");
        for (const char* name : {"value", "bits", "code", "period", "card"}) {
            QTest::addRow("%s, cancel focused", name) << QString::fromLatin1(name) << true;
            QTest::addRow("%s, focus elsewhere", name) << QString::fromLatin1(name) << false;
        }
    }
    void enter_on_a_focused_cancel_cancels()
    {
        QFETCH(QString, dialogName);
        QFETCH(bool, focusCancel);
        std::unique_ptr<QDialog> dialog;
        if (dialogName == QLatin1String("value"))
            dialog = std::make_unique<ValueEntryDialog>();
        else if (dialogName == QLatin1String("bits"))
            dialog = std::make_unique<BitMaskDialog>();
        else if (dialogName == QLatin1String("code"))
            dialog = std::make_unique<DisplayCodeDialog>();
        else if (dialogName == QLatin1String("period"))
            dialog = std::make_unique<FloorPeriodDialog>(7, 30, 18, 5);
        else
            dialog = std::make_unique<CICDlg>();
        // The card dialog stays open after its OK ("确定" sends a card);
        // without a channel the send fails at once with its message.
        answerDialog([&](QDialog* d) {
            auto* cancel = d->findChild<QPushButton*>(QStringLiteral("cancelButton"));
            QWidget* target = cancel;
            if (focusCancel) {
                cancel->setFocus(Qt::TabFocusReason);
            } else {
                target = d->findChild<QLineEdit*>() ? static_cast<QWidget*>(d->findChild<QLineEdit*>()) : d;
                target->setFocus(Qt::TabFocusReason);
            }
            QTest::keyClick(target, Qt::Key_Return);
            if (d->isVisible() && dialogName == QLatin1String("card") && !focusCancel) {
                QCOMPARE(prompts_->messages, QStringList{QStringLiteral("修改失败，请再按确定!")});
                d->accept();
            }
        });
        const bool accepted = dialog->exec() == QDialog::Accepted;
        QCOMPARE(accepted, !focusCancel);
    }

    void lockout_without_floor_count_lists_nothing_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("ok");
        QTest::newRow("count 0, OK") << false << true;
        QTest::newRow("no reply, OK") << true << true;
        QTest::newRow("count 0, cancel") << false << false;
    }
    void lockout_without_floor_count_lists_nothing()
    {
        QFETCH(bool, silent);
        QFETCH(bool, ok);
        openController();
        sim_->setReplyData('A', '5', "0B0000");
        sim_->setSilent(silent);
        LockoutScheduleDialog dialog(1);
        answerDialog([&](QDialog* d) {
            QCOMPARE(dialog.floorList()->rowCount(), 0);
            QVERIFY(dialog.enabledBox()->isChecked());
            dialog.enabledBox()->click();
            click(d, ok ? "okButton" : "cancelButton");
        });
        QCOMPARE(dialog.exec(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(dialog.lockoutEnabled, ok ? 0 : 1);
        QVERIFY(sent(*sim_, "FC", 12).isEmpty());
        QVERIFY(prompts_->messages.isEmpty());
    }

    // A period that could not be read is never made up: its row stays empty
    // and unwritten until the user sets its times.
    void lockout_writes_no_unread_period()
    {
        openController();
        sim_->withElevator([](ElevatorModel& e) {
            e.setParameter(11, 3);
            e.setLockoutPeriod(2, {9, 0, 10, 0});
        });
        sim_->restrictFaultsTo("AC");
        sim_->answerWrongCommand(true);
        LockoutScheduleDialog dialog(0);
        ReportList* list = dialog.floorList();
        answerDialog([&](QDialog* d) {
            QCOMPARE(list->rowCount(), 3);
            for (int row = 0; row < 3; ++row)
                QCOMPARE(list->cell(row, 1) + list->cell(row, 2), QString());
            sim_->clearLinkFaults();
            answerDialog([](QDialog* period) {
                auto* p = static_cast<FloorPeriodDialog*>(period);
                QCOMPARE(p->startHourEdit()->text() + p->startMinuteEdit()->text() + p->endHourEdit()->text() +
                             p->endMinuteEdit()->text(),
                         QStringLiteral("0000"));
                setPeriodFields(p, {"6", "0", "7", "0"});
                click(period, "okButton");
            });
            dialog.editRow(2);
            QCOMPARE(list->cell(2, 1), QStringLiteral("06:00"));
            click(d, "okButton");
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(sent(*sim_, "FC", 12), QList<QByteArray>{"FC0106000700"});
        const auto floor2 = sim_->withElevator([](ElevatorModel& e) { return e.lockoutPeriod(2); });
        QCOMPARE(floor2, (ElevatorModel::LockoutPeriod{9, 0, 10, 0}));
    }

    void ic_card_sends_one_card_per_press_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("invalid");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QList<QByteArray>>("requests");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QList<int>>("validCards");
        const QString range = QStringLiteral("Please enter an integer between 0 and 65535.");
        QTest::newRow("valid 4660") << "4660" << false << false << QList<QByteArray>{"FD3412F"} << "修改成功"
                                    << QList<int>{5, 4660};
        QTest::newRow("card 5 invalid") << "5" << true << false << QList<QByteArray>{"FD05000"} << "修改成功"
                                        << QList<int>{};
        QTest::newRow("silent, two tries") << "7" << false << true << QList<QByteArray>{"FD0700F", "FD0700F"}
                                           << "修改失败，请再按确定!" << QList<int>{5};
        QTest::newRow("70000 refused") << "70000" << false << false << QList<QByteArray>{} << range
                                       << QList<int>{5};
        QTest::newRow("-1 refused") << "-1" << false << false << QList<QByteArray>{} << range << QList<int>{5};
        QTest::newRow("not a number") << "12a" << false << false << QList<QByteArray>{}
                                      << "Please enter an integer." << QList<int>{5};
    }
    void ic_card_sends_one_card_per_press()
    {
        QFETCH(QString, typed);
        QFETCH(bool, invalid);
        QFETCH(bool, silent);
        QFETCH(QList<QByteArray>, requests);
        QFETCH(QString, message);
        QFETCH(QList<int>, validCards);
        openController();
        sim_->withElevator([](ElevatorModel& e) { e.setIcCard(5, true); });
        sim_->setSilent(silent);
        CICDlg dialog;
        answerDialog([&](QDialog* d) {
            QCOMPARE(dialog.cardEdit()->text(), QStringLiteral("0"));
            QVERIFY(dialog.validButton()->isChecked() && dialog.sendButton()->isDefault());
            dialog.cardEdit()->setText(typed);
            if (invalid)
                dialog.invalidButton()->click();
            dialog.sendButton()->click();
            QVERIFY(d->isVisible());  // stays open for the next card
            click(d, "cancelButton");
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(sent(*sim_, "FD", 7), requests);
        QCOMPARE(prompts_->messages, QStringList{message});
        QList<int> cards = sim_->withElevator([](ElevatorModel& e) { return e.validIcCards(); });
        std::sort(cards.begin(), cards.end());
        QCOMPARE(cards, validCards);
    }

    // Replies cut short or hostile are refused without reading past the text.
    void lockout_replies_decode_safely_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("period");
        QTest::addColumn<int>("floors");  // -1: none
        QTest::newRow("period") << QByteArray("\x02" "FFAC03071E1205E" "xx\x03") << true << -1;
        QTest::newRow("16 characters") << QByteArray("\x02" "FFAC03071E1205E") << false << -1;
        QTest::newRow("empty") << QByteArray() << false << -1;
        QTest::newRow("floor count 16") << QByteArray("\x02" "FFA50B1000E") << false << 16;
        QTest::newRow("floor count cut short") << QByteArray("\x02" "FFA50B10") << false << -1;
        QTest::newRow("floor count 65535 limited") << QByteArray("\x02" "FFA50BFFFFE") << false << 48;
    }
    void lockout_replies_decode_safely()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, period);
        QFETCH(int, floors);
        const auto decoded = params::parseLockoutPeriod(reply.constData());
        QCOMPARE(decoded.has_value(), period);
        if (period)
            QCOMPARE(*decoded, (params::LockoutPeriod{7, 30, 18, 5}));
        QCOMPARE(params::parseFloorCount(reply.constData()).value_or(-1), floors);
        QVERIFY(!params::parseLockoutPeriod(nullptr) && !params::parseFloorCount(nullptr));
    }
};

QTEST_MAIN(ParamDialogsTest)
#include "tst_param_dialogs.moc"
