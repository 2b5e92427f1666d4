#include "ReplySorter.h"

#include "FrameBuffer.h"

namespace {

constexpr int kCommandIndex = 3;
constexpr int kSubCommandIndex = 4;
constexpr char kFaultReportCommand = 'E';

} // namespace

void ReplySorter::take(const char* bytes, int count)
{
    for (int i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (c == STX) {
            // A new frame: whatever was open before it is dropped.
            open_ = QByteArray(1, STX);
        } else if (c == ETX && open_.startsWith(STX)) {
            open_.append(ETX);
            sortFrame(open_);
            open_.clear();
        } else if (c == ETX) {
            open_.clear();
        } else {
            open_.append(c);
        }
    }
}

void ReplySorter::sortFrame(const QByteArray& frame)
{
    const char command = frame.size() > kCommandIndex ? frame[kCommandIndex] : '\0';
    const char subCommand = frame.size() > kSubCommandIndex ? frame[kSubCommandIndex] : '\0';
    if (command == kFaultReportCommand)
        faultReports_.append(frame);
    else if (answered_)
        return;
    else if (command == command_ && subCommand == subCommand_) {
        answered_ = true;
        answer_ = frame;
    } else {
        otherFrame_ = frame;
    }
}

bool ReplySorter::openIsAnswer() const
{
    return open_.size() > kSubCommandIndex && open_[0] == STX && open_[kCommandIndex] == command_ &&
           open_[kSubCommandIndex] == subCommand_;
}

QList<QByteArray> faultReportsAmong(const QByteArray& bytes)
{
    // No request pair can match a fault report's, so only reports are kept.
    ReplySorter sorter(kFaultReportCommand, kFaultReportCommand);
    sorter.take(bytes.constData(), int(bytes.size()));
    return sorter.faultReports();
}
