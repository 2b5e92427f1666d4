#pragma once

#include <QString>

class FrameBuffer;

// The controller's unsolicited fault report: a frame whose command is 'E'.
// It carries the fault code as two characters at index 5 and 6.
bool isFaultReport(const FrameBuffer& frame);

// The fault code's characters, as far as the report carries them before
// its end.
QString faultReportCode(const FrameBuffer& frame);

// "故障码: " and the code's characters, as far as the report carries them
// before its end.
QString faultReportMessage(const FrameBuffer& frame);
