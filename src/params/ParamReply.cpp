#include "ParamReply.h"

#include "FrameBuffer.h"
#include "HexCodec.h"
#include "ReplyText.h"

ParamReading decodeParamReply(const FrameBuffer& reply, bool oneByte)
{
    ParamReading reading;
    reading.number = int(decodeHex2(replyField(reply.text(), 5)));
    reading.value = oneByte ? decodeHex2(replyField(reply.text(), 7)) : decodeHex4(replyField(reply.text(), 7));
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
