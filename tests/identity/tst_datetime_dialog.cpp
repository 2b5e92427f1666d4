#include "DateTimeDialog.h"
#include "RecordingPrompts.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class DateTimeDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ok_takes_the_fields_in_order_data()
    {
        QTest::addColumn<QStringList>("texts");  // year, month, day, hour, minute, second
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("message");    // empty: none
        QTest::addColumn<int>("focus");          // the field refused
        const QString between = QStringLiteral("Please enter an integer between 0 and %1.");
        const QString positive = QStringLiteral("Please enter a positive integer.");
        const QByteArray ok = "okButton";
        QTest::newRow("month 13") << QStringList{"5", "13", "14", "9", "30", "5"} << ok << between.arg(12) << 1;
        QTest::newRow("minute 60") << QStringList{"5", "3", "14", "9", "60", "5"} << ok << between.arg(59) << 4;
        QTest::newRow("the first refused field wins")
            << QStringList{"100", "3", "32", "24", "60", "5"} << ok << between.arg(99) << 0;
        QTest::newRow("letter") << QStringList{"5", "3", "14", "9", "30", "5s"} << ok << positive << 5;
        QTest::newRow("sign") << QStringList{"5", "3", "-1", "9", "30", "5"} << ok << positive << 2;
        QTest::newRow("day 0 and month 0") << QStringList{"7", "0", "0", "23", "59", "59"} << ok << QString() << -1;
        QTest::newRow("Cancel") << QStringList{"9", "x", "1", "1", "1", "1"} << QByteArray("cancelButton")
                                << QString() << -1;
    }
    void ok_takes_the_fields_in_order()
    {
        QFETCH(QStringList, texts);
        QFETCH(QByteArray, button);
        QFETCH(QString, message);
        QFETCH(int, focus);
        const identity::ClockFields given{5, 3, 14, 9, 30, 5};
        RecordingPrompts prompts;
        DateTimeDialog dialog;
        dialog.setValues(given);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
        QStringList captions, shown;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            captions << (label->buddy() ? label->text() : QString());
        QCOMPARE(captions, (QStringList{"年", "月", "日", "时", "分", "秒"}));
        for (int i = 0; i < 6; ++i) {
            shown << dialog.field(i)->text();
            dialog.field(i)->setText(texts[i]);
        }
        QCOMPARE(shown, (QStringList{"5", "3", "14", "9", "30", "5"}));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);

        QCOMPARE(prompts.messages, message.isEmpty() ? QStringList() : QStringList{message});
        if (focus >= 0) {
            QVERIFY(dialog.isVisible());
            QCOMPARE(QApplication::focusWidget(), dialog.field(focus));
        }
        identity::ClockFields taken = given;
        if (dialog.result() == QDialog::Accepted) {
            for (int i = 0; i < 6; ++i)
                taken[size_t(i)] = texts[i].toInt();
        }
        QCOMPARE(dialog.values(), taken);
        QCOMPARE(dialog.result(), int(button == "okButton" && message.isEmpty() ? QDialog::Accepted
                                                                                  : QDialog::Rejected));
    }

    void clock_fields_of_a_date_time_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QList<int>>("fields");
        QTest::newRow("2026") << QDateTime(QDate(2026, 3, 14), QTime(9, 30, 5)) << QList<int>{26, 3, 14, 9, 30, 5};
        QTest::newRow("2100") << QDateTime(QDate(2100, 12, 31), QTime(23, 59, 59))
                              << QList<int>{0, 12, 31, 23, 59, 59};
        QTest::newRow("1999") << QDateTime(QDate(1999, 1, 1), QTime(0, 0, 0)) << QList<int>{99, 1, 1, 0, 0, 0};
    }
    void clock_fields_of_a_date_time()
    {
        QFETCH(QDateTime, time);
        QFETCH(QList<int>, fields);
        const identity::ClockFields f = identity::clockFieldsOf(time);
        QCOMPARE(QList<int>(f.begin(), f.end()), fields);
        // A moment given in UTC is shown in local time.
        QCOMPARE(identity::clockFieldsOf(time.toUTC()), f);
    }

    // "电脑时间" shows the PC's clock, a moment between the two readings
    // around the click, and OK takes it.
    void pc_time_fills_the_fields_and_ok_takes_them()
    {
        RecordingPrompts prompts;
        DateTimeDialog dialog;
        dialog.setValues({5, 3, 14, 9, 30, 5});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* pcTime = dialog.findChild<QPushButton*>(QStringLiteral("pcTimeButton"));
        QVERIFY(pcTime);
        QCOMPARE(pcTime->text(), QStringLiteral("电脑时间"));

        const QDateTime before = QDateTime::currentDateTime();
        QTest::mouseClick(pcTime, Qt::LeftButton);
        const QDateTime after = QDateTime::currentDateTime();
        QVERIFY(dialog.isVisible());
        identity::ClockFields shown{};
        for (int i = 0; i < 6; ++i) {
            bool ok = false;
            shown[size_t(i)] = dialog.field(i)->text().toInt(&ok);
            QVERIFY2(ok, qPrintable(dialog.field(i)->text()));
        }
        const QDateTime shownTime(QDate(before.date().year() / 100 * 100 + shown[0], shown[1], shown[2]),
                                  QTime(shown[3], shown[4], shown[5]));
        QVERIFY(shownTime.isValid());
        const QDateTime beforeSecond = before.addMSecs(-before.time().msec());
        QVERIFY2(beforeSecond <= shownTime && shownTime <= after,
                 qPrintable(shownTime.toString(Qt::ISODate) + " not within " + before.toString(Qt::ISODateWithMs) +
                            " .. " + after.toString(Qt::ISODateWithMs)));

        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.values(), shown);
        QVERIFY(prompts.messages.isEmpty());
    }
};

QTEST_MAIN(DateTimeDialogTest)
#include "tst_datetime_dialog.moc"
