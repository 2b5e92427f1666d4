#pragma once

class Page;

namespace recorder {
class FlightRecorder;
}

// Where an assembled frame goes, for the main window and for any stand-in
// of it: the frame goes to the flight recorder (when there is one) and is
// copied into rxFrame; a fault report is shown, naming the recorder's fault
// file, and acknowledged with 'F' '6' once the box is closed; any other
// frame goes to the page shown (nowhere while there are no pages). True
// when a page got the frame.
bool routeFrame(const char* frameText, Page* shown, recorder::FlightRecorder* recorder = nullptr);
