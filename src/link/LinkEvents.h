#pragma once

#include <QEvent>

// Event types of the link, as the tool's windows receive them.
inline constexpr QEvent::Type WM_LINK_RXBYTE = QEvent::Type(QEvent::User + 7);
inline constexpr QEvent::Type WM_FRAME_ARRIVED = QEvent::Type(QEvent::User + 10);

// One received byte, sent synchronously to the channel's owner.
class LinkRxByteEvent : public QEvent
{
public:
    LinkRxByteEvent(unsigned char byte, int portNumber)
        : QEvent(WM_LINK_RXBYTE), byte_(byte), portNumber_(portNumber)
    {
    }
    unsigned char byte() const { return byte_; }
    int portNumber() const { return portNumber_; }

private:
    unsigned char byte_;
    int portNumber_;
};

// A completed frame, now in rxFrame, for the page shown.
class FrameArrivedEvent : public QEvent
{
public:
    FrameArrivedEvent() : QEvent(WM_FRAME_ARRIVED) {}
};
