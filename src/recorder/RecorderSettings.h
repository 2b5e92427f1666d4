#pragma once

#include <QString>

// What the flight recorder takes from settings.ini (VARDOCOM in the user's
// configuration folder), in a section of its own beside the link settings:
//
//     [recorder]
//     minutes=30        ; the span the ring keeps, 3 to 1440
//     faultfiles=true   ; a file around every fault report
//
// Absent or unreadable values take the defaults above; a span outside its
// range is brought into it.
namespace recorder {

struct RecorderSettings
{
    static constexpr int kDefaultMinutes = 30;
    static constexpr int kLeastMinutes = 3;  // a fault file's 2 minutes before, with room
    static constexpr int kMostMinutes = 1440;

    int minutes = kDefaultMinutes;
    bool faultFiles = true;
    // Where the fault files go.
    QString faultFolder;

    static RecorderSettings read();
};

// The folder of the fault files: VARDOCOM/recordings in the user's data
// folder ($XDG_DATA_HOME or ~/.local/share on Unix).
QString faultFileFolder();

} // namespace recorder
