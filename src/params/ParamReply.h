#pragma once

#include <QString>
#include <QStringView>

class FrameBuffer;

// What an 'A' '5' reply tells of one parameter: the controller's own number
// for it (HH at index 5-6, shown as "F%i") and its value (LLHH at 7-10, or
// HH at 7-8 for a one-byte parameter). Safe on any frame: missing or
// non-hex digits read as the hex decoders read them.
struct ParamReading
{
    int number = 0;
    unsigned value = 0;
};

ParamReading decodeParamReply(const FrameBuffer& reply, bool oneByte);

// Column 0 of a parameter row: "F%i" of the controller's number.
QString paramNumberText(int number);

// The number a value text stands for, read as the lists always have:
// within the first 10 characters, blanks, an optional sign, then decimal
// digits up to the first other character; 0 when there are no digits.
qint64 leadingInteger(QStringView text);
