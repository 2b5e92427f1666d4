#include "DateTimeDialog.h"
#include "GeneralPage.h"
#include "SimBench.h"
#include "SimProtocol.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Command, sub-command and arguments of each request since the last clear.
QList<QByteArray> payloads(const SimController& sim)
{
    QList<QByteArray> out;
    for (const QByteArray& frame : sim.requests())
        out << frame.mid(3, frame.size() - 7);
    return out;
}

// Types text as the keyboard would, one character a key.
void typeText(QLineEdit* edit, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &release);
    }
}

// Answers each date and time dialog that opens while it lives.
class DialogAnswer : public QObject
{
public:
    explicit DialogAnswer(std::function<void(DateTimeDialog*)> answer) : answer_(std::move(answer))
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<DateTimeDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || dialog == answered_)
                return;
            answered_ = dialog;
            ++shown;
            answer_(dialog);
        });
        timer_.start(5);
    }
    int shown = 0;

private:
    std::function<void(DateTimeDialog*)> answer_;
    QTimer timer_;
    QPointer<DateTimeDialog> answered_;
};

} // namespace

class GeneralPageTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimBench> bench_;
    SimController* sim_ = nullptr;
    RecordingPrompts* prompts_ = nullptr;
    PageTestHost* host_ = nullptr;
    GeneralPage* page_ = nullptr;

    template <class W>
    W* child(const char* name) const
    {
        W* widget = page_->findChild<W*>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QString text(const char* edit) const { return child<QLineEdit>(edit)->text(); }
    QString clockText() const { return child<QLabel>("clockText")->text(); }
    void click(const char* button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }

private Q_SLOTS:
    void init()
    {
        SimOptions options;
        options.manualTime = true;  // the controller's clock stands still
        bench_ = std::make_unique<SimBench>(options);
        sim_ = &bench_->sim;
        prompts_ = &bench_->prompts;
        host_ = &bench_->host;
        page_ = new GeneralPage(*host_);
        host_->addPage(page_);
        QVERIFY(bench_->open());
    }
    void cleanup()
    {
        bench_.reset();
        page_ = nullptr;
    }

    void reads_the_five_values_in_order()
    {
        QCOMPARE(clockText(), QStringLiteral("时间"));
        // 17 characters: the longest name whose reply fits the 25 characters read.
        sim_->setReplyFrame('A', 'B', sim::buildReply('A', 'B', "VARDO M173 V3.21X"));
        sim_->setReplyData('A', '2', "12345678\r");
        sim_->setReplyData('A', 'A', "3412");
        sim_->setReplyData('A', '9', "050314093005");
        host_->showPage(GeneralPage::kIndex);

        QCOMPARE(payloads(*sim_).mid(0, 5), (QList<QByteArray>{"AB", "A2", "A7", "AA", "A9"}));
        QCOMPARE(text("programNameEdit"), QStringLiteral("VARDO M173 V3.21"));
        QCOMPARE(text("elevatorIdEdit"), QStringLiteral("12345678"));
        QCOMPARE(text("telephoneEdit"), QStringLiteral("02164781234"));
        QCOMPARE(text("runCountEdit"), QStringLiteral("4660"));
        QCOMPARE(clockText(), QStringLiteral("05-03-14 09:30:05"));
        QVERIFY(page_->clockRunning());
        QVERIFY(prompts_->messages.isEmpty());

        // Everything fits the main window's page area, every text its control.
        QVERIFY(page_->minimumSizeHint().width() <= 385 && page_->minimumSizeHint().height() <= 550);
        for (const QWidget* w : page_->findChildren<QWidget*>()) {
            QVERIFY2(!w->objectName().isEmpty(), w->metaObject()->className());
            QVERIFY2(w->sizeHint().width() <= w->width() || qobject_cast<const QLineEdit*>(w),
                     qPrintable(w->objectName()));
            QVERIFY2(page_->rect().contains(w->geometry()), qPrintable(w->objectName()));
            if (auto* label = qobject_cast<const QLabel*>(w); label && label->objectName() != "clockText")
                QVERIFY2(qobject_cast<QLineEdit*>(label->buddy()), qPrintable(label->text()));
        }
    }

    void a_value_without_reply_stops_the_read()
    {
        sim_->restrictFaultsTo("A2");
        sim_->dropEveryReply(1);
        host_->showPage(GeneralPage::kIndex);
        QCOMPARE(prompts_->messages, QStringList{QStringLiteral("通讯失败,请刷新!")});
        QCOMPARE(payloads(*sim_), (QList<QByteArray>{"AB", "A2", "A2"}));
        QVERIFY(!page_->clockRunning());
        QCOMPARE(text("programNameEdit"), QStringLiteral("VARDO M173 V3.21"));
        QCOMPARE(text("telephoneEdit"), QString());
        QCOMPARE(clockText(), QStringLiteral("时间"));
    }

    void buttons_change_the_controller_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("edit");    // typed into, then read back
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("inject");  // command pair and data of an injected reply
        QTest::addColumn<QByteArray>("request"); // empty: nothing sent
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const char* button, const char* edit, const QString& typed,
                            const QByteArray& inject, const QByteArray& request, const QString& message,
                            const QString& shown) {
            QTest::newRow(name) << QByteArray(button) << QByteArray(edit) << typed << inject << request << message
                                << shown;
        };
        row("ID, printable ASCII up to nine", "setElevatorIdButton", "elevatorIdEdit", "12345中6789X", {},
            "F1123456789\r", {}, "123456789");
        row("telephone accepted", "setTelephoneButton", "telephoneEdit", "0755-8888 123", {}, "F20755-8888 123\r",
            "电话号码修改成功", "0755-8888 123");
        row("telephone refused", "setTelephoneButton", "telephoneEdit", "110", "F20", "F2110\r", "电话号码修改失败",
            "02164781234");
        row("ID from the controller that a request cannot carry", "setElevatorIdButton", "elevatorIdEdit", {},
            "A2\xB5\xE7\xCC\xDD" "1\r", {}, "电梯ID只能包含ASCII字符", "电梯1");
        row("run counter reset", "resetRunCountButton", "runCountEdit", {}, {}, "FR1", {}, "0");
    }
    void buttons_change_the_controller()
    {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, edit);
        QFETCH(QString, typed);
        QFETCH(QByteArray, inject);
        QFETCH(QByteArray, request);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        if (!inject.isEmpty())
            sim_->setReplyData(inject[0], inject[1], inject.mid(2));
        host_->showPage(GeneralPage::kIndex);
        if (!typed.isEmpty()) {
            child<QLineEdit>(edit)->clear();
            typeText(child<QLineEdit>(edit), typed);
        }
        sim_->clearRequests();
        click(button);

        // The request, then everything read again; or nothing but clock ticks.
        QList<QByteArray> sent = payloads(*sim_);
        if (request.isEmpty()) {
            sent.removeAll("A9");
            QCOMPARE(sent, QList<QByteArray>{});
        } else {
            QVERIFY(sent.contains(request));
            QVERIFY(sent.indexOf(request) < sent.indexOf("AB"));
        }
        QCOMPARE(prompts_->messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(text(edit), shown);
        QVERIFY(page_->clockRunning());
    }

    void sets_the_clock_data()
    {
        QTest::addColumn<QByteArray>("clockReply");  // data of an injected 'A' '9' reply
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("dialog");
        QTest::addColumn<bool>("sent");
        QTest::newRow("OK sends the six fields") << QByteArray() << true << true << true;
        QTest::newRow("Cancel sends nothing") << QByteArray() << false << true << false;
        QTest::newRow("no clock, no dialog") << QByteArray("0503") << true << false << false;
    }
    void sets_the_clock()
    {
        QFETCH(QByteArray, clockReply);
        QFETCH(bool, ok);
        QFETCH(bool, dialog);
        QFETCH(bool, sent);
        if (!clockReply.isEmpty())
            sim_->setReplyData('A', '9', clockReply);
        const QDateTime before = sim_->withElevator([](ElevatorModel& e) { return e.clock(); });
        host_->showPage(GeneralPage::kIndex);
        const QString shownBefore = clockText();

        identity::ClockFields opened{};
        DialogAnswer answer([&](DateTimeDialog* d) {
            opened = d->values();
            if (!ok) {
                d->findChild<QPushButton*>("cancelButton")->click();
                return;
            }
            for (int i = 0; i < 6; ++i)
                d->field(i)->setText(QString::number(7 + i));
            d->findChild<QPushButton*>("okButton")->click();
        });
        sim_->clearRequests();
        click("setClockButton");

        QCOMPARE(answer.shown, dialog ? 1 : 0);
        if (dialog) {
            const QDate d = before.date();
            const QTime t = before.time();
            QCOMPARE(opened, (identity::ClockFields{d.year() % 100, d.month(), d.day(), t.hour(), t.minute(),
                                                    t.second()}));
        }
        QList<QByteArray> clockWrites;
        for (const QByteArray& p : payloads(*sim_)) {
            if (p.startsWith("F9"))
                clockWrites << p;
        }
        QCOMPARE(clockWrites, sent ? QList<QByteArray>{"F9070809101112"} : QList<QByteArray>{});
        const QDateTime after = sim_->withElevator([](ElevatorModel& e) { return e.clock(); });
        QCOMPARE(after, sent ? QDateTime(QDate(2007, 8, 9), QTime(10, 11, 12)) : before);
        QCOMPARE(clockText(), clockReply.isEmpty() ? after.toString("yy-MM-dd HH:mm:ss") : shownBefore);
        QVERIFY(page_->clockRunning());
    }

    void the_clock_ticks_only_while_shown()
    {
        host_->showPage(GeneralPage::kIndex);
        QVERIFY(page_->clockRunning());
        child<QLineEdit>("elevatorIdEdit")->clear();
        typeText(child<QLineEdit>("elevatorIdEdit"), QStringLiteral("TYPING"));

        // Each tick writes one 'A' '9', at most one a second; its reply
        // moves the clock and leaves the edits alone.
        sim_->setReplyData('A', '9', "991231235958");
        sim_->clearRequests();
        QElapsedTimer clock;
        clock.start();
        QList<qint64> ticks;
        while (ticks.size() < 2 && clock.elapsed() < 5000) {
            QTest::qWait(10);
            while (ticks.size() < payloads(*sim_).size())
                ticks << clock.elapsed();
        }
        QCOMPARE(payloads(*sim_), (QList<QByteArray>{"A9", "A9"}));
        QVERIFY2(ticks[1] - ticks[0] >= 900, qPrintable(QString::number(ticks[1] - ticks[0])));
        QTRY_COMPARE(clockText(), QStringLiteral("99-12-31 23:59:58"));
        QCOMPARE(text("elevatorIdEdit"), QStringLiteral("TYPING"));
        QCOMPARE(text("telephoneEdit"), QStringLiteral("02164781234"));

        // Hidden: the timer stops and nothing is written.
        host_->showPage(0);
        QVERIFY(!page_->clockRunning());
        sim_->clearRequests();
        QTest::qWait(1300);
        QCOMPARE(payloads(*sim_), QList<QByteArray>{});

    }
};

QTEST_MAIN(GeneralPageTest)
#include "tst_general_page.moc"
