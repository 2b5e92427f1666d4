#include "IoPage.h"
#include "LampIndicator.h"
#include "SimBench.h"
#include "SimWait.h"

#include <QtTest>

#include <memory>

namespace {

// The 96 lamps as a string: '1' lit, '0' dark, 'g' grey; X, TX, then Y.
QString lampStates(const IoPage& page)
{
    QString out;
    const auto put = [&out](const LampIndicator* lamp) {
        out += lamp->lampState() == LampIndicator::Lit ? QLatin1Char('1')
               : lamp->lampState() == LampIndicator::Dark ? QLatin1Char('0')
                                                          : QLatin1Char('g');
    };
    for (int i = 0; i < IoPage::kInputs; ++i)
        put(page.inputLamp(i));
    for (int i = 0; i < IoPage::kOutputs; ++i)
        put(page.outputLamp(i));
    return out;
}

// The same string for bit values.
QString bitStates(std::uint64_t inputs, std::uint32_t outputs)
{
    QString out;
    for (int i = 0; i < 64; ++i)
        out += (inputs >> i) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    for (int i = 0; i < 32; ++i)
        out += (outputs >> i) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

class PaintCounter : public QObject
{
public:
    QSet<QObject*> painted;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted.insert(watched);
        return false;
    }
};

} // namespace

class IoPageTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimBench> bench_;
    SimController* sim_ = nullptr;
    PageTestHost* host_ = nullptr;
    IoPage* page_ = nullptr;

private Q_SLOTS:
    void init()
    {
        SimOptions options;
        options.manualTime = true;
        bench_ = std::make_unique<SimBench>(options);
        sim_ = &bench_->sim;
        host_ = &bench_->host;
        page_ = new IoPage(*host_);
        host_->addPage(page_);
        QVERIFY(bench_->open());
    }
    void cleanup() { bench_.reset(); }

    void lamps_follow_the_controller()
    {
        QCOMPARE(lampStates(*page_), QString(96, QLatin1Char('g')));
        // The lamps and their numbers fit the main window's page area.
        QVERIFY(page_->minimumSizeHint().width() <= 385 && page_->minimumSizeHint().height() <= 550);
        host_->showPage(IoPage::kIndex);
        const auto bits = [this] {
            return sim_->withElevator([](ElevatorModel& e) { return bitStates(e.inputs(), e.outputs()); });
        };
        QTRY_COMPARE_WITH_TIMEOUT(lampStates(*page_), bits(), 3000);
        sim_->withElevator([](ElevatorModel& e) {
            e.forceInputs(0xFFFF'0000'0000'0001ull, 0x8001'0000'0000'0001ull);
            e.forceOutputs(0x8000'00FFu, 0x8000'0081u);
        });
        QTRY_COMPARE_WITH_TIMEOUT(lampStates(*page_), bits(), 3000);
        QCOMPARE(page_->inputLamp(63)->lampState(), int(LampIndicator::Lit));
        QCOMPARE(page_->outputLamp(31)->lampState(), int(LampIndicator::Lit));
        QCOMPARE(page_->outputLamp(1)->lampState(), int(LampIndicator::Dark));
    }

    void replies_light_what_they_carry_data()
    {
        QTest::addColumn<QByteArray>("reply");  // data of the second reply
        QTest::addColumn<QString>("lamps");
        const QString all = QString(64, QLatin1Char('1')) + QString(32, QLatin1Char('1'));
        QTest::newRow("X0 and Y7") << QByteArray("01" + QByteArray(14, '0') + "\x04" "80000000")
                                   << QString("1" + QString(63, '0') + QString(7, '0') + "1" + QString(24, '0'));
        QTest::newRow("TX0") << QByteArray("0000000001000000" "\x04" "00000000")
                             << QString(QString(32, '0') + "1" + QString(31, '0') + QString(32, '0'));
        QTest::newRow("two input bytes change X0-X15 only")
            << QByteArray("0000" "\x04" "FFFFFFFF") << QString(QString(16, '0') + QString(48, '1') + QString(32, '1'));
        QTest::newRow("empty input group") << QByteArray("\x04" "00000000")
                                           << QString(QString(64, '1') + QString(32, '0'));
        QTest::newRow("no separator changes nothing") << QByteArray("0000000000000000" "00000000") << all;
    }
    void replies_light_what_they_carry()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, lamps);
        host_->showPage(IoPage::kIndex);
        sim_->setReplyData('A', '4', QByteArray(16, 'F') + "\x04" + QByteArray(8, 'F'));
        QTRY_COMPARE_WITH_TIMEOUT(lampStates(*page_), QString(96, QLatin1Char('1')), 3000);
        const int before = host_->framesDelivered();
        sim_->setReplyData('A', '4', reply);
        QTRY_COMPARE_WITH_TIMEOUT(lampStates(*page_), lamps, 3000);
        // It stays so over further replies.
        QTRY_VERIFY(host_->framesDelivered() > before + 3);
        QCOMPARE(lampStates(*page_), lamps);
    }

    void output_group_shorter_than_the_checksum()
    {
        host_->showPage(IoPage::kIndex);
        sim_->setReplyFrame('A', '4', "\x02" "FFA4" "FF" "\x04" "7" "\x03");
        QTRY_COMPARE_WITH_TIMEOUT(page_->inputLamp(7)->lampState(), int(LampIndicator::Lit), 3000);
        QCOMPARE(page_->inputLamp(8)->lampState(), int(LampIndicator::Grey));
        QCOMPARE(page_->outputLamp(0)->lampState(), int(LampIndicator::Grey));
    }

    void only_changed_lamps_are_redrawn()
    {
        host_->showPage(IoPage::kIndex);
        sim_->setReplyData('A', '4', QByteArray(16, '0') + "\x04" + QByteArray(8, '0'));
        QTRY_COMPARE_WITH_TIMEOUT(lampStates(*page_), QString(96, QLatin1Char('0')), 3000);
        // Paints still due for the changes so far are done before counting.
        host_->repaint();
        PaintCounter counter;
        for (int i = 0; i < IoPage::kInputs; ++i)
            page_->inputLamp(i)->installEventFilter(&counter);
        for (int i = 0; i < IoPage::kOutputs; ++i)
            page_->outputLamp(i)->installEventFilter(&counter);
        QTest::qWait(250);
        QVERIFY(counter.painted.isEmpty());
        sim_->setReplyData('A', '4', "00000400" + QByteArray(8, '0') + "\x04" + "00000002");
        QTRY_COMPARE_WITH_TIMEOUT(page_->inputLamp(18)->lampState(), int(LampIndicator::Lit), 3000);
        QTest::qWait(250);
        QCOMPARE(counter.painted, (QSet<QObject*>{page_->inputLamp(18), page_->outputLamp(25)}));
    }

    void polls_only_while_shown()
    {
        host_->showPage(IoPage::kIndex);
        QVERIFY(waitForSent(*sim_, "A4", 2000));
        host_->setCurrentPage(0);  // the timer keeps running
        QTest::qWait(150);
        sim_->clearRequests();
        QTest::qWait(400);
        QVERIFY(page_->polling());
        QCOMPARE(sim_->requests().size(), 0);
        host_->setCurrentPage(IoPage::kIndex);
        QVERIFY(waitForSent(*sim_, "A4", 2000));
        page_->deactivate();
        QVERIFY(!page_->polling());
    }
};

QTEST_MAIN(IoPageTest)
#include "tst_io_page.moc"
