// The simulated controllers' request parser, and their answers to what it
// accepts. The first byte chooses the model (bit 0: legacy) and whether
// the pieces are sent as they are or framed (bit 1: STX "FF" piece
// HH(checksum) ETX, so that the answers are reached); the rest is split
// into pieces at each ETX, the first 16 of them requests. Time passes
// between the requests, so that calls and commands move the car.

#include "DoorModel.h"
#include "ElevatorModel.h"
#include "FrameBuffer.h"
#include "FuzzInput.h"
#include "SimProtocol.h"

#include <algorithm>

namespace {
constexpr int kMaxRequests = 16;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool legacy = data[0] & 1;
    const bool framed = data[0] & 2;
    // Fresh controllers for every input, copied from ones made once.
    static const ElevatorModel modern(SimModel::Modern);
    static const ElevatorModel older(SimModel::Legacy);
    static const DoorModel doorAtStart;
    ElevatorModel elevator = legacy ? older : modern;
    DoorModel door = doorAtStart;

    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QList<QByteArray> pieces = rest.split(ETX);
    // A few requests an input are enough to reach every state and keep the
    // runs quick.
    for (const QByteArray& piece : pieces.first(std::min(pieces.size(), qsizetype(kMaxRequests)))) {
        QByteArray frame;
        if (framed) {
            const QByteArray body = "FF" + piece;
            frame = STX + body + sim::checksumOf(body) + ETX;
        } else {
            frame = piece + ETX;
        }
        const std::optional<sim::Request> request = sim::parseRequest(frame, 'E');
        if (!request)
            continue;
        fuzz::check(request->frame == frame, "a request keeps its frame");
        sim::faultRecordOf(*request);
        sim::floorOf(*request);
        sim::parameterOf(*request);
        request->payload();
        for (const QByteArray& reply : {sim::answerElevator(elevator, *request, 'E').reply,
                                        sim::answerDoor(door, *request, 'E').reply}) {
            fuzz::check(reply.isEmpty() || (reply.startsWith(STX) && reply.endsWith(ETX)),
                        "a reply runs from STX to ETX");
        }
        elevator.advance(100);
    }
    return 0;
}
