// What the window sends to a controller in service, with the real pages on
// the simulated controller: nothing that the engineer did not ask for.

#include "ModalDialogs.h"
#include "PageTabCtrl.h"
#include "SerialChannel.h"
#include "StatusPage.h"
#include "ToolSession.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>

namespace {

// Polls of the live pages and the general page's clock: written by timers.
bool timerRequest(const QByteArray& frame)
{
    static const QList<QByteArray> polls{"A0", "A3", "A4", "A8", "A9"};
    return polls.contains(frame.mid(3, 2));
}

QList<QByteArray> askedFor(const SimController& sim)
{
    QList<QByteArray> asked = sim.requests();
    asked.removeIf(timerRequest);
    return asked;
}

// Closes every modal dialog that opens, for its lifetime, and counts them.
class DialogCloser
{
public:
    DialogCloser()
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ++closed;
                dialog->reject();
            }
        });
        timer_.start();
    }

    int closed = 0;

private:
    QTimer timer_;
};

// Waits until no exchange runs and the page's reads have ended.
void settle()
{
    QVERIFY(QTest::qWaitFor([] { return serialChannel.linkBusy == 0; }, 30000));
    QTest::qWait(100);
}

} // namespace

class WindowSafetyTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ToolSession> session_;

private Q_SLOTS:
    void init() { session_ = std::make_unique<ToolSession>(); }
    void cleanup() { session_.reset(); }

    // No button of a page becomes the window's default button: after each
    // button has been clicked (and has done its work), Enter in any edit
    // or list of the page sends nothing, asks nothing and opens nothing.
    void enter_presses_no_page_button()
    {
        session_->start();
        PageTabCtrl* host = session_->tool().pageHost();
        for (int index = 0; index < host->pageCount(); ++index) {
            host->setCurrentIndex(index);
            settle();
            Page* page = host->page(index);
            QList<QWidget*> entries;
            for (QLineEdit* edit : page->findChildren<QLineEdit*>())
                if (edit->isVisible() && edit->isEnabled())
                    entries << edit;
            for (QAbstractItemView* list : page->findChildren<QAbstractItemView*>())
                if (list->isVisible())
                    entries << list;
            for (QPushButton* button : page->findChildren<QPushButton*>()) {
                if (!button->isVisible() || !button->isEnabled() || !host->page(index)->isVisible())
                    continue;
                {
                    const DialogCloser closer;
                    button->setFocus(Qt::MouseFocusReason);
                    QTest::mouseClick(button, Qt::LeftButton);
                    settle();
                }
                // The click may have opened the line anew (the settings dialog).
                settle();
                for (QWidget* entry : entries) {
                    const qsizetype questions = session_->prompts().questions.size();
                    const qsizetype messages = session_->prompts().messages.size();
                    session_->prompts().questionAnswers = QList<bool>(4, false);
                    session_->sim().clearRequests();
                    const DialogCloser opened;
                    entry->setFocus(Qt::OtherFocusReason);
                    QTest::keyClick(entry, Qt::Key_Return);
                    QTest::keyClick(entry, Qt::Key_Enter);
                    settle();
                    const QString where = QStringLiteral("page %1, after %2, Enter in %3")
                                              .arg(index)
                                              .arg(button->objectName(), entry->objectName());
                    QVERIFY2(askedFor(session_->sim()).isEmpty(), qPrintable(where + ": " + askedFor(session_->sim()).value(0)));
                    QVERIFY2(session_->prompts().questions.size() == questions, qPrintable(where));
                    QVERIFY2(session_->prompts().messages.size() == messages, qPrintable(where));
                    QVERIFY2(opened.closed == 0, qPrintable(where + ": a dialog opened"));
                    session_->prompts().questionAnswers.clear();
                }
            }
        }
    }

    // Replies to status polls that come after a tab switch's purge never
    // decide the layout: the probe is judged by its own frame.
    void late_status_replies_never_choose_the_layout_data()
    {
        QTest::addColumn<int>("model");
        QTest::newRow("173 parameters") << int(SimModel::Modern);
        QTest::newRow("114 parameters") << int(SimModel::Legacy);
    }

    void late_status_replies_never_choose_the_layout()
    {
        QFETCH(int, model);
        SimOptions options;
        options.model = SimModel(model);
        options.linkFaults.lateStatusMs = 60;
        session_->start(options);
        auto* status = qobject_cast<StatusPage*>(session_->tool().pageHost()->page(StatusPage::kIndex));
        QVERIFY(status);
        const bool extended = options.model == SimModel::Modern;
        QRandomGenerator random(23);
        int wrong = 0;
        int unanswered = 0;
        constexpr int kSwitches = 100;
        for (int i = 0; i < kSwitches; ++i) {
            session_->tool().pageHost()->setCurrentIndex(3);
            QTest::qWait(int(random.bounded(60, 260)));
            session_->tool().pageHost()->setCurrentIndex(StatusPage::kIndex);
            if (!status->polling())
                ++unanswered;
            else if (status->extendedLayout() != extended)
                ++wrong;
            QTest::qWait(int(random.bounded(0, 200)));
        }
        qInfo("%d wrong layouts, %d probes unanswered in %d switches", wrong, unanswered, kSwitches);
        QCOMPARE(wrong, 0);
        QCOMPARE(unanswered, 0);
    }
};

QTEST_MAIN(WindowSafetyTest)
#include "tst_window_safety.moc"
