#include "DoorModel.h"

#include <cstddef>

using std::size_t;

DoorModel::DoorModel() : params_(defaultParameters()) {}

std::vector<std::uint16_t> DoorModel::defaultParameters()
{
    std::vector<std::uint16_t> p(kParameterCount, 0);
    p[0] = kVersion;
    p[1] = 0;     // language
    p[2] = 0;     // door width function: idle
    p[3] = 0;     // mode
    p[4] = 40;    // low-speed PI gain
    p[5] = 60;    // high-speed PI gain
    p[6] = 20;    // damping
    p[7] = 120;   // door width setting
    p[8] = 150;   // closing torque limit (<= 300)
    p[9] = 0;     // outputs normally open
    p[10] = 15;   // frequency switch point
    p[11] = 800;  // opening high speed
    p[12] = 600;  // closing high speed
    p[13] = 100;  // opening start low speed
    p[14] = 100;  // closing start low speed
    p[15] = 10;   // opening creep distance, % of width
    p[16] = 12;   // closing creep distance
    p[17] = 70;   // opening slowdown point
    p[18] = 75;   // closing slowdown point
    p[19] = 50;   // opening stop low speed
    p[20] = 40;   // closing stop low speed
    p[21] = 60;   // opening acceleration
    p[22] = 60;   // opening deceleration
    p[23] = 50;   // closing acceleration
    p[24] = 50;   // closing deceleration
    p[25] = 30;   // opening torque hold
    p[26] = 30;   // closing torque hold
    p[27] = 20;   // closed-end torque boost
    p[46] = 8;    // carrier frequency, kHz
    p[47] = 4;    // motor poles
    p[48] = 220;  // rated voltage
    p[49] = 180;  // rated speed
    p[50] = 150;  // rated current, 10 mA
    p[51] = 40;   // no-load current factor
    p[52] = 90;   // door width, cm
    p[53] = 0;    // encoder direction
    p[54] = 1024; // encoder pulses
    return p;
}

unsigned DoorModel::parameter(int index) const
{
    return index >= 0 && index < kParameterCount ? params_[size_t(index)] : 0;
}

bool DoorModel::setParameter(int index, unsigned value)
{
    if (index < 0 || index >= kParameterCount || value > 0xFFFF)
        return false;
    if (index == 0) {
        if (value == kRestoreCode) {
            resetParameters();
            return true;
        }
        if (value == kSaveCode) {
            ++saves_;
            return true;
        }
        return value == kVersion;
    }
    if (index == 8 && value > 300)
        return false;
    params_[size_t(index)] = std::uint16_t(value);
    return true;
}

void DoorModel::resetParameters()
{
    params_ = defaultParameters();
}
