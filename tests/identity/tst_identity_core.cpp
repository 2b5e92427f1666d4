#include "Identity.h"
#include "SimProtocol.h"

#include <QtTest>

using identity::ReplyField;
using sim::buildReply;

namespace {

// The five values in the order of ReplyField, None left out.
QStringList listOf(const identity::IdentityValues& v)
{
    return {v.programName, v.elevatorId, v.telephone, v.clock, v.runCount};
}

} // namespace

class IdentityCoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void a_reply_sets_its_one_value_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const QByteArray& frame, ReplyField field, const QString& text) {
            QTest::newRow(name) << frame << int(field) << text;
        };
        row("clock", buildReply('A', '9', "050314093005"), ReplyField::Clock, "05-03-14 09:30:05");
        row("run count LLHH", buildReply('A', 'A', "3412"), ReplyField::RunCount, "4660");
        row("run count from four digits only", buildReply('A', 'A', "FFFF1234"), ReplyField::RunCount, "65535");
        row("ID ended by CR", buildReply('A', '2', "12345678\r"), ReplyField::ElevatorId, "12345678");
        row("nine ID characters and CR", buildReply('A', '2', "123456789\r"), ReplyField::ElevatorId, "123456789");
        row("ID after a leading CR", buildReply('A', '2', "\rAB12\r"), ReplyField::ElevatorId, "AB12");
        row("empty ID shows no checksum", buildReply('A', '2', "\r"), ReplyField::ElevatorId, "");
        row("ID without CR", buildReply('A', '2', "AB"), ReplyField::ElevatorId, "AB");
        row("program name cut to 16", buildReply('A', 'B', "VARDO M173 V3.21 EXTRA"), ReplyField::ProgramName,
            "VARDO M173 V3.21");
        row("GBK program name", buildReply('A', 'B', "\xB5\xE7\xCC\xDD" "M1"), ReplyField::ProgramName, "电梯M1");
        row("telephone not cut at CR", buildReply('A', '7', "0216\r47"), ReplyField::Telephone, "0216\r47");
        row("telephone cut to 13", buildReply('A', '7', "02164781234567"), ReplyField::Telephone, "0216478123456");
        row("empty telephone", buildReply('A', '7', ""), ReplyField::Telephone, "");
        QByteArray badChecksum = buildReply('A', '9', "991231235958");
        badChecksum[17] = 'X';
        row("checksum ignored", badChecksum, ReplyField::Clock, "99-12-31 23:59:58");
        row("clock too short", "\x02" "FFA90503\x03", ReplyField::None, "");
        row("run count without data", buildReply('A', 'A', ""), ReplyField::None, "");
        row("telephone cut before its ETX", "\x02" "FFA71", ReplyField::None, "");
        row("acknowledgement", buildReply('F', '2', "F"), ReplyField::None, "");
        row("truncated", "\x02" "FFA", ReplyField::None, "");
        row("empty", "", ReplyField::None, "");
    }
    void a_reply_sets_its_one_value()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, field);
        QFETCH(QString, text);
        const QString old = QStringLiteral("old");
        identity::IdentityValues values{old, old, old, old, old};
        QCOMPARE(int(identity::applyReply(frame.constData(), values)), field);
        QStringList expected(5, old);
        if (field != int(ReplyField::None))
            expected[field - 1] = text;
        QCOMPARE(listOf(values), expected);
    }
};

QTEST_GUILESS_MAIN(IdentityCoreTest)
#include "tst_identity_core.moc"
