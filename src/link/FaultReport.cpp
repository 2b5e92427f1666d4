#include "FaultReport.h"

#include "FrameBuffer.h"

bool isFaultReport(const FrameBuffer& frame)
{
    return frame.command() == 'E';
}

QString faultReportCode(const FrameBuffer& frame)
{
    QString code;
    for (int i = 5; i <= 6 && frame.at(i) != '\0' && frame.at(i) != ETX; ++i)
        code += QLatin1Char(frame.at(i));
    return code;
}

QString faultReportMessage(const FrameBuffer& frame)
{
    return QStringLiteral("故障码: ") + faultReportCode(frame);
}
