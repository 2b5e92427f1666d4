#pragma once

#include <QList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// The exchanges of the shaft data page, without widgets; the page and the
// command line both run them. Each holds linkBusy for its whole run.
namespace records {

inline constexpr int kShaftSwitchValues = 5;
inline constexpr int kFirstShaftSwitchValue = 49;

struct ShaftData
{
    bool floorCountRead = false;  // else nothing was read
    bool complete = false;        // every floor was read (the switch values are then read too)
    QList<std::int32_t> floors;   // positions of floors 1, 2, ... as far as read
    // Values 49 to 53; nothing for a value that brought no reply.
    std::array<std::optional<std::int32_t>, kShaftSwitchValues> switches;
};

// What the read tells as it goes; both may be left empty.
struct ShaftReadObserver
{
    std::function<void(int floors)> floorCountKnown;
    std::function<void(int floor, std::int32_t position)> floorRead;
};

// The floor count (parameter 11, two tries), each floor's position (two
// tries each, stopping at the first unanswered), then the five switch
// values (one try each; any reply is taken).
ShaftData readShaftData(const ShaftReadObserver& observer = {});

// 'F' '4': starts the shaft self-learning run. True when the controller
// said it took the command ('F' at index 5).
bool startShaftLearning();

} // namespace records
