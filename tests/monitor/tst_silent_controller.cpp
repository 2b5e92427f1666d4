#include "IoPage.h"
#include "LampIndicator.h"
#include "PageTabCtrl.h"
#include "SimController.h"
#include "SimWait.h"
#include "StatusPage.h"
#include "ToolSession.h"

#include <QLabel>
#include <QtTest>

#include <memory>

namespace {

const QString kTitle = QStringLiteral("VARDO");
const QString kTitleSilent = QStringLiteral("VARDO - 控制器无应答");

int countSent(const QList<QByteArray>& requests, const QByteArray& payload)
{
    int n = 0;
    for (const QByteArray& r : requests)
        n += r.mid(3).startsWith(payload) ? 1 : 0;
    return n;
}

} // namespace

// A controller that stops answering while the adapter stays plugged (its
// cable pulled at the controller, the controller switched off): the live
// pages in the main window on the simulated controller.
class SilentControllerTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ToolSession> session_;

    StatusPage* statusPage() const { return qobject_cast<StatusPage*>(session_->tool().pageHost()->page(StatusPage::kIndex)); }
    IoPage* ioPage() const { return qobject_cast<IoPage*>(session_->tool().pageHost()->page(IoPage::kIndex)); }

    // The texts of floor, mode and run, as the user reads them: shown live
    // or greyed.
    QList<bool> statusTextsLive() const
    {
        QList<bool> live;
        for (const char* name : {"floorText", "modeText", "runText"})
            live << statusPage()->findChild<QLabel*>(QLatin1String(name))->isEnabled();
        return live;
    }

    int ioLampsIn(int state) const
    {
        int n = 0;
        for (int i = 0; i < IoPage::kInputs; ++i)
            n += ioPage()->inputLamp(i)->lampState() == state ? 1 : 0;
        for (int i = 0; i < IoPage::kOutputs; ++i)
            n += ioPage()->outputLamp(i)->lampState() == state ? 1 : 0;
        return n;
    }

private Q_SLOTS:
    void init()
    {
        session_ = std::make_unique<ToolSession>();
        SimOptions options;
        options.manualTime = true;
        session_->linkSim(options);
    }

    void cleanup() { session_.reset(); }

    // After 3 s of unanswered polls the title says so and what the page
    // shows turns grey; the next reply brings both back. No box.
    void silence_greys_the_page_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("status page") << int(StatusPage::kIndex);
        QTest::newRow("I/O page") << int(IoPage::kIndex);
    }
    void silence_greys_the_page()
    {
        QFETCH(int, page);
        const int all = IoPage::kInputs + IoPage::kOutputs;
        session_->start();
        session_->tool().pageHost()->setCurrentIndex(page);
        if (page == StatusPage::kIndex)
            QTRY_VERIFY_WITH_TIMEOUT(!statusPage()->modeText().isEmpty(), 5000);
        else
            QTRY_COMPARE_WITH_TIMEOUT(ioLampsIn(LampIndicator::Grey), 0, 5000);
        QCOMPARE(session_->tool().windowTitle(), kTitle);

        session_->sim().setSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(session_->tool().windowTitle(), kTitleSilent, 10000);
        if (page == StatusPage::kIndex) {
            QCOMPARE(statusTextsLive(), (QList<bool>{false, false, false}));
            QCOMPARE(statusPage()->statusLamp()->lampState(), int(LampIndicator::Grey));
        } else {
            QCOMPARE(ioLampsIn(LampIndicator::Grey), all);
        }

        session_->sim().setSilent(false);
        QTRY_COMPARE_WITH_TIMEOUT(session_->tool().windowTitle(), kTitle, 5000);
        if (page == StatusPage::kIndex) {
            QCOMPARE(statusTextsLive(), (QList<bool>{true, true, true}));
            QTRY_VERIFY_WITH_TIMEOUT(statusPage()->statusLamp()->lampState() != LampIndicator::Grey, 3000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(ioLampsIn(LampIndicator::Grey), 0, 3000);
        }
        QVERIFY(session_->prompts().messages.isEmpty());
    }

    // A controller switched on after the tool: the status page probes once
    // a second while it gets no reply, then polls as usual.
    void status_page_probes_until_the_controller_answers()
    {
        session_->sim().setSilent(true);
        session_->start();
        StatusPage* page = statusPage();
        QTRY_VERIFY_WITH_TIMEOUT(countSent(session_->sim().requests(), "A100") >= 3, 15000);
        QVERIFY(!page->polling());
        QCOMPARE(session_->tool().windowTitle(), kTitleSilent);

        session_->sim().setSilent(false);
        QTRY_VERIFY_WITH_TIMEOUT(page->polling(), 5000);
        QVERIFY(waitForSent(session_->sim(), "A0", 5000));
        QTRY_VERIFY_WITH_TIMEOUT(!page->modeText().isEmpty(), 5000);
        QCOMPARE(session_->tool().windowTitle(), kTitle);
        QVERIFY(!page->probing());
        QVERIFY(session_->prompts().messages.isEmpty());
    }
};

QTEST_MAIN(SilentControllerTest)
#include "tst_silent_controller.moc"
