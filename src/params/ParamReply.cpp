#include "ParamReply.h"

#include "FrameBuffer.h"
#include "HexCodec.h"

ParamReading decodeParamReply(const FrameBuffer& reply, bool oneByte)
{
    // A field behind the end of the text reads as absent, never as what an
    // earlier frame left in the buffer.
    const int length = reply.length();
    const auto field = [&](int index) { return index < length ? reply.field(index) : ""; };
    ParamReading reading;
    reading.number = int(decodeHex2(field(5)));
    reading.value = oneByte ? decodeHex2(field(7)) : decodeHex4(field(7));
    return reading;
}

QString paramNumberText(int number)
{
    return QStringLiteral("F%1").arg(number);
}

qint64 leadingInteger(QStringView text)
{
    const QStringView head = text.left(10);
    qsizetype i = 0;
    while (i < head.size() && head[i].isSpace())
        ++i;
    bool negative = false;
    if (i < head.size() && (head[i] == QLatin1Char('-') || head[i] == QLatin1Char('+')))
        negative = head[i++] == QLatin1Char('-');
    qint64 value = 0;
    for (; i < head.size() && head[i] >= QLatin1Char('0') && head[i] <= QLatin1Char('9'); ++i)
        value = value * 10 + (head[i].unicode() - '0');
    return negative ? -value : value;
}
