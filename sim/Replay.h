#pragma once

#include "Recording.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <vector>

// A recording played back by the simulated main controller: the live
// polls ('A' '0', 'A' '3', 'A' '8', 'A' '4') are answered with the reply
// recorded last at or before the same moment of the recording, and its
// fault reports are sent when their moment comes. Time 0 of the replay is
// the recording's first frame. Before a kind's first recorded reply its
// first one answers; after the end the last ones go on answering.
class Replay
{
public:
    explicit Replay(const recorder::Recording& recording);
    // Reads the file; throws std::runtime_error with the reason when it
    // cannot be read.
    static Replay load(const QString& path);

    const recorder::RecordingHeader& header() const { return header_; }
    qint64 lengthMs() const { return lengthMs_; }

    // The reply to the poll with this sub-command at ms of the replay;
    // empty when the recording has none of that kind.
    QByteArray reply(char subCommand, qint64 ms) const;
    // The fault reports whose moment has come by ms and that were not
    // taken yet, in order.
    QList<QByteArray> takeReportsDue(qint64 ms);

    static bool isLivePoll(char command, char subCommand);

private:
    struct Timed
    {
        qint64 ms;
        QByteArray frame;
    };
    static int kindOf(char subCommand);

    recorder::RecordingHeader header_;
    std::array<std::vector<Timed>, 4> replies_;
    std::vector<Timed> reports_;
    std::size_t nextReport_ = 0;
    qint64 lengthMs_ = 0;
};
