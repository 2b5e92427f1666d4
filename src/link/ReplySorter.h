#pragma once

#include <QByteArray>
#include <QList>

// Sorts the bytes of a synchronous read by the frames they make: the reply
// is the first complete frame (STX to ETX) that carries the request's own
// command and sub-command. Complete frames of the controller's fault
// reports (command 'E') are kept for the window to show; complete frames
// of other requests (a late poll reply) are not the reply. Bytes outside a
// frame, and a frame cut by the next STX, are dropped.
class ReplySorter
{
public:
    ReplySorter(char command, char subCommand) : command_(command), subCommand_(subCommand) {}

    // Takes the next bytes read.
    void take(const char* bytes, int count);

    // The answering frame, once it came.
    bool answered() const { return answered_; }
    const QByteArray& answer() const { return answer_; }
    // Fault reports found so far, in order of arrival.
    const QList<QByteArray>& faultReports() const { return faultReports_; }
    // The last complete frame that answers another request; empty if none.
    const QByteArray& otherFrame() const { return otherFrame_; }
    // Bytes not yet part of a complete frame: noise, or a frame still open
    // (from its STX on when it has one).
    const QByteArray& open() const { return open_; }
    // The open bytes start a frame with the request's command pair.
    bool openIsAnswer() const;

private:
    void sortFrame(const QByteArray& frame);

    char command_;
    char subCommand_;
    bool answered_ = false;
    QByteArray answer_;
    QByteArray otherFrame_;
    QByteArray open_;
    QList<QByteArray> faultReports_;
};

// Every complete fault report ('E' frame) among bytes, in order.
QList<QByteArray> faultReportsAmong(const QByteArray& bytes);
