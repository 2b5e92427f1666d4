#include "SimProtocol.h"

#include "DoorModel.h"
#include "ElevatorModel.h"
#include "FrameBuffer.h"
#include "HexCodec.h"

namespace sim {

namespace {

QByteArray hex2(unsigned value)
{
    const auto digits = encodeHex2(value);
    return QByteArray(digits.data(), 2);
}

QByteArray hex4(unsigned value)
{
    return hex2(value & 0xFF) + hex2((value >> 8) & 0xFF);
}

QByteArray hex8(std::uint32_t value)
{
    return hex4(value & 0xFFFF) + hex4(value >> 16);
}

QByteArray dec2(int value)
{
    return QByteArray::number(value % 100).rightJustified(2, '0');
}

bool allHex(const QByteArray& text)
{
    for (char c : text) {
        if (hexDigitValue(c) < 0)
            return false;
    }
    return !text.isEmpty();
}

unsigned hexValue(const QByteArray& text)
{
    unsigned v = 0;
    for (char c : text)
        v = v * 16 + unsigned(hexDigitValue(c));
    return v;
}

// LLHH of four hex characters.
unsigned wordOf(const QByteArray& four)
{
    return hexValue(four.mid(2, 2)) * 256 + hexValue(four.left(2));
}

// 'A' '1' n: HH(n) in the long form, one hex digit in the short one.
int recordIndex(const Request& r)
{
    if ((r.args.size() == 1 || r.args.size() == 2) && allHex(r.args))
        return int(hexValue(r.args));
    return -1;
}

QByteArray flag(bool ok)
{
    return QByteArray(1, ok ? 'F' : '0');
}

QByteArray parameterReply(char c3, int fNumber, unsigned value, char sc)
{
    return buildReply(c3, '5', hex2(unsigned(fNumber)) + hex4(value), sc);
}

// 'F' '5' HH(n) and four value characters (LLHH or the bit-mask dialog's
// four characters, the same digits): acknowledged with the flag at 5 and 7.
QByteArray parameterWrite(bool ok)
{
    return buildReply('F', '5', flag(ok) + flag(ok) + flag(ok));
}

bool parseWrite(const Request& r, int* index, unsigned* value)
{
    if (r.args.size() != 6 || !allHex(r.args))
        return false;
    *index = int(hexValue(r.args.left(2)));
    *value = wordOf(r.args.mid(2, 4));
    return true;
}

QByteArray longRecord(const ElevatorModel& m, int n)
{
    const ElevatorModel::FaultRecord rec = m.faultRecord(n);
    QByteArray time = "0000000000";
    if (rec.code != 0 && rec.time.isValid()) {
        const QDate d = rec.time.date();
        const QTime t = rec.time.time();
        time = dec2(d.year()) + dec2(d.month()) + dec2(d.day()) + dec2(t.hour()) + dec2(t.minute());
    }
    return buildReply('A', '1', hex2(unsigned(n)) + hex2(unsigned(rec.code)) + hex2(unsigned(rec.floor)) + time);
}

QByteArray shortRecord(const ElevatorModel& m, int n)
{
    const ElevatorModel::FaultRecord rec = m.faultRecord(n);
    QByteArray time = "00000000";
    if (rec.code != 0 && rec.time.isValid()) {
        const QDate d = rec.time.date();
        const QTime t = rec.time.time();
        time = dec2(d.month()) + dec2(d.day()) + dec2(t.hour()) + dec2(t.minute());
    }
    const char digit = "0123456789ABCDEF"[n & 0xF];
    return buildReply('A', '1', QByteArray(1, digit) + hex2(unsigned(rec.code)) + time);
}

} // namespace

QByteArray Request::payload() const
{
    QByteArray p;
    p.append(command).append(subCommand).append(args);
    if (command == 'F' && subCommand == 'D')
        p.append(trailer);
    return p;
}

QByteArray checksumOf(const QByteArray& characters)
{
    unsigned sum = 0;
    for (char c : characters)
        sum += static_cast<unsigned char>(c);
    return hex2(sum);
}

std::optional<Request> parseRequest(const QByteArray& frame, char specialCode)
{
    const qsizetype len = frame.size();
    if (len < 9 || frame[0] != STX || frame[len - 1] != ETX)
        return std::nullopt;
    if (frame.mid(1, 2) != "FF")
        return std::nullopt;
    const QByteArray sent = frame.mid(len - 3, 2);
    if (!allHex(sent) || hexValue(sent) != hexValue(checksumOf(frame.mid(1, len - 4))))
        return std::nullopt;
    Request r;
    r.frame = frame;
    r.command = frame[3];
    r.subCommand = frame[4];
    r.args = frame.mid(5, len - 9);
    r.trailer = frame[len - 4];
    const bool wordFlag = r.command == 'F' && r.subCommand == 'D';
    if (wordFlag ? (r.trailer != 'F' && r.trailer != '0') : r.trailer != specialCode)
        return std::nullopt;
    return r;
}

QByteArray buildReply(char c3, char c4, const QByteArray& data, char trailer)
{
    QByteArray body = "FF";
    body.append(c3).append(c4).append(data);
    if (trailer != 0)
        body.append(trailer);
    QByteArray frame(1, STX);
    frame.append(body).append(checksumOf(body)).append(ETX);
    return frame;
}

QByteArray buildFaultReport(int code, char specialCode)
{
    return buildReply('E', '0', hex2(unsigned(code)), specialCode);
}

int faultRecordOf(const Request& r)
{
    return r.command == 'A' && r.subCommand == '1' ? recordIndex(r) : -1;
}

int floorOf(const Request& r)
{
    if (r.command == 'A' && (r.subCommand == '6' || r.subCommand == 'C') && r.args.size() == 2 && allHex(r.args))
        return int(hexValue(r.args));
    return -1;
}

int parameterOf(const Request& r)
{
    if (r.subCommand == '5' && (r.command == 'A' || r.command == 'F') && r.args.size() >= 2 &&
        allHex(r.args.left(2)))
        return int(hexValue(r.args.left(2)));
    return -1;
}

Outcome answerElevator(ElevatorModel& m, const Request& r, char sc)
{
    Outcome out;
    const QByteArray& a = r.args;
    if (r.command == 'A') {
        switch (r.subCommand) {
        case '0':
            if (a.isEmpty())
                out.reply = buildReply('A', '0', hex2(m.displayCode()) + hex2(m.statusA()) + hex2(m.statusB()));
            break;
        case '1': {
            const int n = recordIndex(r);
            if (n < 0)
                break;
            // The modern controller answers both forms with long records;
            // the legacy one answers both with short records, one hex digit.
            if (m.modern())
                out.reply = longRecord(m, n);
            else
                out.reply = shortRecord(m, n);
            break;
        }
        case '2':
            if (a.isEmpty())
                out.reply = buildReply('A', '2', m.elevatorId() + '\r');
            break;
        case '3':
            if (a.isEmpty()) {
                QByteArray data;
                for (auto kind : {ElevatorModel::CallKind::Car, ElevatorModel::CallKind::Up,
                                  ElevatorModel::CallKind::Down}) {
                    const std::uint64_t bits = m.callBits(kind);
                    for (int k = 0; k < 6; ++k)
                        data += hex2(unsigned(bits >> (8 * k)) & 0xFF);
                }
                out.reply = buildReply('A', '3', data);
            }
            break;
        case '4':
            if (a.isEmpty()) {
                QByteArray data;
                const std::uint64_t in = m.inputs();
                for (int k = 0; k < 8; ++k)
                    data += hex2(unsigned(in >> (8 * k)) & 0xFF);
                data += char(0x04);
                const std::uint32_t o = m.outputs();
                for (int k = 0; k < 4; ++k)
                    data += hex2((o >> (8 * k)) & 0xFF);
                out.reply = buildReply('A', '4', data);
            }
            break;
        case '5': {
            if (a.size() != 2 || !allHex(a))
                break;
            const int n = int(hexValue(a));
            if (n < m.parameterCount())
                out.reply = parameterReply('A', m.fNumber(n), m.parameter(n), sc);
            break;
        }
        case '6': {
            if (a.size() != 2 || !allHex(a))
                break;
            const int n = int(hexValue(a));
            out.reply = buildReply('A', '6', hex2(unsigned(n)) + hex8(std::uint32_t(m.shaftValue(n))));
            break;
        }
        case '7':
            if (a.isEmpty())
                out.reply = buildReply('A', '7', m.telephone());
            break;
        case '8':
            if (a.isEmpty())
                out.reply = buildReply('A', '8', hex4(unsigned(std::uint16_t(std::int16_t(m.speed())))));
            break;
        case '9':
            if (a.isEmpty()) {
                const QDateTime c = m.clock();
                const QDate d = c.date();
                const QTime t = c.time();
                out.reply = buildReply('A', '9', dec2(d.year()) + dec2(d.month()) + dec2(d.day()) + dec2(t.hour()) +
                                                     dec2(t.minute()) + dec2(t.second()));
            }
            break;
        case 'A':
            if (a.isEmpty())
                out.reply = buildReply('A', 'A', hex4(unsigned(m.runCounter())));
            break;
        case 'B':
            if (a.isEmpty())
                out.reply = buildReply('A', 'B', m.programName());
            break;
        case 'C': {
            if (a.size() != 2 || !allHex(a))
                break;
            const int f = int(hexValue(a));
            if (f < 1 || f > 48)
                break;
            const auto p = m.lockoutPeriod(f);
            out.reply = buildReply('A', 'C', hex2(unsigned(f)) + hex2(unsigned(p.startHour)) +
                                                 hex2(unsigned(p.startMinute)) + hex2(unsigned(p.endHour)) +
                                                 hex2(unsigned(p.endMinute)));
            break;
        }
        default:
            break;
        }
        return out;
    }
    if (r.command != 'F')
        return out;
    switch (r.subCommand) {
    case '1': {
        // Write-only: the ID characters up to the CR; no reply.
        const qsizetype cr = a.indexOf('\r');
        m.setElevatorId(cr < 0 ? a : a.left(cr));
        out.parametersChanged = true;
        break;
    }
    case '2': {
        const qsizetype cr = a.indexOf('\r');
        const bool ok = m.setTelephone(cr < 0 ? a : a.left(cr));
        out.reply = buildReply('F', '2', flag(ok));
        out.parametersChanged = ok;
        break;
    }
    case '3':
        // Write-only: c HH(floor).
        if (a.size() == 3 && a[0] >= '0' && a[0] <= '2' && allHex(a.mid(1)))
            m.registerCall(ElevatorModel::CallKind(a[0] - '0'), int(hexValue(a.mid(1))));
        break;
    case '4':
        if (a.isEmpty())
            out.reply = buildReply('F', '4', flag(m.startLearning()));
        break;
    case '5': {
        int index = 0;
        unsigned value = 0;
        if (!parseWrite(r, &index, &value)) {
            if (a.size() == 6)
                out.reply = parameterWrite(false);
            break;
        }
        const bool ok = m.setParameter(index, value);
        out.reply = parameterWrite(ok);
        out.parametersChanged = ok;
        break;
    }
    case '6':
        if (a.isEmpty())
            m.acknowledgeReport();
        break;
    case '9': {
        bool ok = a.size() == 12;
        for (char c : a)
            ok = ok && c >= '0' && c <= '9';
        if (ok) {
            const auto num = [&a](int i) { return a.mid(i, 2).toInt(); };
            const QDate d(2000 + num(0), num(2), num(4));
            const QTime t(num(6), num(8), num(10));
            ok = d.isValid() && t.isValid();
            if (ok)
                m.setClock(QDateTime(d, t));
        }
        out.reply = buildReply('F', '9', flag(ok));
        break;
    }
    case 'C': {
        bool ok = a.size() == 10 && allHex(a);
        if (ok) {
            const auto byte = [&a](int i) { return int(hexValue(a.mid(2 * i, 2))); };
            ok = m.setLockoutPeriod(byte(0), {byte(1), byte(2), byte(3), byte(4)});
        }
        out.reply = buildReply('F', 'C', flag(ok));
        out.parametersChanged = ok;
        break;
    }
    case 'D': {
        // LLHH(card) and the flag in the special code's place.
        if (a.size() != 4 || !allHex(a))
            break;
        m.setIcCard(int(wordOf(a)), r.trailer == 'F');
        out.reply = buildReply('F', 'D', flag(true));
        out.parametersChanged = true;
        break;
    }
    case 'R':
        if (a.size() != 1)
            break;
        if (a[0] == '1') {
            m.setRunCounter(0);  // write-only: no reply
        } else if (a[0] == '2') {
            m.clearFaultRecords();
            out.reply = buildReply('F', 'R', "2F");
        } else if (a[0] == '3') {
            m.resetParameters();
            out.reply = buildReply('F', 'R', "3F");
            out.delayed = true;
            out.parametersChanged = true;
        }
        break;
    default:
        break;
    }
    return out;
}

Outcome answerDoor(DoorModel& m, const Request& r, char sc)
{
    Outcome out;
    const QByteArray& a = r.args;
    if (r.command == 'A' && r.subCommand == '5' && a.size() == 2 && allHex(a)) {
        const int n = int(hexValue(a));
        if (n < m.parameterCount())
            out.reply = parameterReply('A', m.fNumber(n), m.parameter(n), sc);
    } else if (r.command == 'F' && r.subCommand == '5') {
        int index = 0;
        unsigned value = 0;
        const bool parsed = parseWrite(r, &index, &value);
        const bool ok = parsed && m.setParameter(index, value);
        if (parsed || a.size() == 6)
            out.reply = parameterWrite(ok);
        out.parametersChanged = ok;
    } else if (r.command == 'F' && r.subCommand == 'R' && a == "3") {
        m.resetParameters();
        out.reply = buildReply('F', 'R', "3F");
        out.delayed = true;
        out.parametersChanged = true;
    }
    return out;
}

} // namespace sim
