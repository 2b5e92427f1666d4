#pragma once

#include "ParamLayout.h"

// The values a parameter may take: what its editing dialog accepts in the
// window, and what a parameter set file's record must hold before the
// command line writes it. One table for both.
namespace params {

struct ValueRange
{
    unsigned least = 0;
    unsigned most = 0xFFFF;

    constexpr bool contains(unsigned value) const { return value >= least && value <= most; }
};

// The range of a parameter index in a layout: one byte for the floor
// display codes, 0 or 1 for the lock-out switch, the door operator's closing
// torque limit up to 300 (as its description says), 16 bits for any other.
ValueRange parameterRange(const ParamLayout& layout, int index);

} // namespace params
