#pragma once

#include <cstdint>
#include <vector>

// The door-operator controller: 79 parameters read with 'A' '5', written
// with 'F' '5' and reset with 'F' 'R' '3'. Its version parameter (index 0)
// is read-only, except for two service values: 9999 restores the factory
// values and 199 saves the parameters; both are acknowledged.
class DoorModel
{
public:
    static constexpr int kParameterCount = 79;
    static constexpr unsigned kVersion = 215;
    static constexpr unsigned kRestoreCode = 9999;
    static constexpr unsigned kSaveCode = 199;

    DoorModel();

    int parameterCount() const { return kParameterCount; }
    unsigned parameter(int index) const;
    // False (nothing changes) when the index or value is refused.
    bool setParameter(int index, unsigned value);
    // The door operator numbers its parameters from F0.
    int fNumber(int index) const { return index; }
    void resetParameters();
    static std::vector<std::uint16_t> defaultParameters();
    // How many times 199 was written (the save command).
    int saveCount() const { return saves_; }

private:
    std::vector<std::uint16_t> params_;
    int saves_ = 0;
};
