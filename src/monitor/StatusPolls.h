#pragma once

// The status polls in their rotation, one a tick: 'A' '3' (calls), 'A' '8'
// (speed), 'A' '0' (status). Advances phase and writes the next request;
// the reply comes back as a frame of its own.
namespace monitor {
void writeNextStatusPoll(int& phase);
}
