#include "SimTestSupport.h"

#include "Exchange.h"
#include "FrameBuffer.h"
#include "LinkEvents.h"
#include "LinkWait.h"
#include "SerialChannel.h"

#include <QEvent>
#include <QtTest>

class SimLine::Sink : public QObject
{
public:
    QByteArray bytes;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != WM_LINK_RXBYTE)
            return QObject::event(e);
        bytes.append(char(static_cast<LinkRxByteEvent*>(e)->byte()));
        return true;
    }
};

SimLine::SimLine(SimOptions options, int baud, int stopBits)
    : sim_(std::make_unique<SimController>(std::move(options))), sink_(std::make_unique<Sink>())
{
    specialCode = 'E';
    serialChannel.linkBusy = 0;
    sim_->linkAs(1);
    if (!serialChannel.open(sink_.get(), 1, baud, 'N', 8, stopBits, SerialChannel::kEventMask))
        qWarning("cannot open the simulated controller's line");
}

SimLine::~SimLine()
{
    serialChannel.close();
    serialChannel.linkBusy = 0;
    specialCode = 'E';
}

bool SimLine::reopen(int baud, int stopBits)
{
    serialChannel.close();
    return serialChannel.open(sink_.get(), 1, baud, 'N', 8, stopBits, SerialChannel::kEventMask);
}

QByteArray SimLine::exchange(int wanted, int waitMs)
{
    LinkBusyGuard busy;
    transact(waitMs, wanted);
    return QByteArray(rxFrame.text());
}

QByteArray SimLine::unsolicited() const
{
    return sink_->bytes;
}

void SimLine::clearUnsolicited()
{
    sink_->bytes.clear();
}
